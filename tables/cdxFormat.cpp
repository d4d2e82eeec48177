#include "cdxFormat.h"

#include <cstdio>

#include <algorithm>
#include <bit>
#include <cstring>

namespace cdx {

std::string hexOffset(uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%04X", v);
    return b;
}

uint16_t getLe16(const char* p) {
    auto b = reinterpret_cast<const uint8_t*>(p);
    return uint16_t(b[0] | (b[1] << 8));
}
uint32_t getLe32(const char* p) {
    auto b = reinterpret_cast<const uint8_t*>(p);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}
uint32_t getBe32(const char* p) {
    auto b = reinterpret_cast<const uint8_t*>(p);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
}
void putLe16(char* p, uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
void putLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
void putBe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (24 - 8 * i)) & 0xFF);
}

// ---- header ----

Status CdxHeader::encodeTo(std::string* out) const {
    if (keyExpr.size() + forExpr.size() + 2 > kPageSize) {
        return Status::InvalidArgument("index expressions are longer than 510 bytes together");
    }
    size_t at = out->size();
    out->append(kHeaderSize, '\0');
    char* p = out->data() + at;
    putLe32(p, root);
    putLe32(p + 4, freeList);
    putBe32(p + 8, counter);
    putLe16(p + 12, keyLength);
    p[14] = char(options);
    p[15] = char(signature);
    putLe16(p + 502, descending ? 1 : 0);
    uint16_t keyPool = uint16_t(keyExpr.size() + 1);
    putLe16(p + 504, keyPool);
    putLe16(p + 506, uint16_t(forExpr.size() + 1));
    putLe16(p + 510, keyPool);
    std::memcpy(p + 512, keyExpr.data(), keyExpr.size());
    std::memcpy(p + 512 + keyPool, forExpr.data(), forExpr.size());
    return Status::OK();
}

namespace {
std::string poolText(std::string_view pool, size_t start, size_t len) {
    std::string_view s = pool.substr(start, len);
    size_t nul = s.find('\0');
    return std::string(nul == std::string_view::npos ? s : s.substr(0, nul));
}
}  // namespace

Status CdxHeader::decodeFrom(std::string_view in) {
    if (in.size() < kHeaderSize) return Status::Corruption("header shorter than 1024 bytes");
    const char* p = in.data();
    root = getLe32(p);
    freeList = getLe32(p + 4);
    counter = getBe32(p + 8);
    keyLength = getLe16(p + 12);
    options = uint8_t(p[14]);
    signature = uint8_t(p[15]);
    uint16_t order = getLe16(p + 502);
    if (order > 1) return Status::Corruption("order word " + std::to_string(order));
    descending = order == 1;
    size_t forPool = getLe16(p + 506), keyPool = getLe16(p + 510);
    if (keyPool + forPool > kPageSize) {
        return Status::Corruption("expression lengths " + std::to_string(keyPool) + " + " +
                                  std::to_string(forPool) + " exceed the 512-byte pool");
    }
    std::string_view pool = in.substr(512, 512);
    keyExpr = poolText(pool, 0, keyPool);
    forExpr = poolText(pool, keyPool, forPool);
    return Status::OK();
}

// ---- nodes ----

Status decodeNodeLinks(std::string_view in, NodeLinks* links, uint16_t* count) {
    if (in.size() < kPageSize) return Status::Corruption("node shorter than 512 bytes");
    links->attributes = getLe16(in.data());
    *count = getLe16(in.data() + 2);
    links->left = getLe32(in.data() + 4);
    links->right = getLe32(in.data() + 8);
    return Status::OK();
}

namespace {
void encodeLinks(const NodeLinks& l, uint16_t count, char* p) {
    putLe16(p, l.attributes);
    putLe16(p + 2, count);
    putLe32(p + 4, l.left);
    putLe32(p + 8, l.right);
}
}  // namespace

Status CdxInterior::encodeTo(uint32_t keyLength, std::string* out) const {
    if (entries.size() > capacity(keyLength)) {
        return Status::InvalidArgument(std::to_string(entries.size()) +
                                       " entries do not fit an interior node");
    }
    size_t at = out->size();
    out->append(kPageSize, '\0');
    char* p = out->data() + at;
    encodeLinks(links, uint16_t(entries.size()), p);
    char* e = p + 12;
    for (const Entry& x : entries) {
        if (x.key.size() != keyLength) {
            out->resize(at);
            return Status::InvalidArgument("interior key of " + std::to_string(x.key.size()) +
                                           " bytes for key length " + std::to_string(keyLength));
        }
        std::memcpy(e, x.key.data(), keyLength);
        putBe32(e + keyLength, x.recno);
        putBe32(e + keyLength + 4, x.child);
        e += keyLength + 8;
    }
    return Status::OK();
}

Status CdxInterior::decodeFrom(std::string_view in, uint32_t keyLength) {
    uint16_t count = 0;
    Status s = decodeNodeLinks(in, &links, &count);
    if (!s.ok()) return s;
    if (links.isLeaf()) return Status::Corruption("interior node is marked as a leaf");
    if (keyLength == 0 || keyLength > kMaxKeyLength) {
        return Status::Corruption("key length " + std::to_string(keyLength));
    }
    if (count > capacity(keyLength)) {
        return Status::Corruption("key count " + std::to_string(count) +
                                  " is larger than an interior node holds (" +
                                  std::to_string(capacity(keyLength)) + ")");
    }
    entries.assign(count, {});
    const char* e = in.data() + 12;
    for (Entry& x : entries) {
        x.key.assign(e, keyLength);
        x.recno = getBe32(e + keyLength);
        x.child = getBe32(e + keyLength + 4);
        e += keyLength + 8;
    }
    return Status::OK();
}

LeafLayout LeafLayout::forNode(uint32_t keyLength, uint32_t maxRecno, uint8_t minEntryBytes) {
    LeafLayout l;
    l.dupBits = l.trailBits = uint8_t(std::bit_width(keyLength));
    int rec = std::max(1, int(std::bit_width(maxRecno)));
    int bytes = (rec + l.dupBits + l.trailBits + 7) / 8;
    bytes = std::max(bytes, int(minEntryBytes));
    l.entryBytes = uint8_t(bytes);
    l.recBits = uint8_t(8 * bytes - l.dupBits - l.trailBits);
    return l;
}

namespace {
// Trailing filler bytes of `key` (0 when trailing compression is off); eight bytes at a
// time, since keys are often mostly filler.
size_t trailOf(std::string_view key, int fill) {
    if (fill < 0) return 0;
    const uint64_t pattern = uint64_t(uint8_t(fill)) * 0x0101010101010101ull;
    size_t end = key.size();
    while (end >= 8) {
        uint64_t word;
        std::memcpy(&word, key.data() + end - 8, 8);
        if (word != pattern) break;
        end -= 8;
    }
    while (end > 0 && key[end - 1] == char(fill)) --end;
    return key.size() - end;
}
// Length of the common start of `a` and `b`, up to `limit` bytes.
static_assert(std::endian::native == std::endian::little, "words are compared as little-endian");
size_t commonStart(const char* a, const char* b, size_t limit) {
    size_t n = 0;
    while (n + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + size_t(std::countr_zero(x ^ y) / 8);  // little-endian words
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}
// Bytes shared with the previous key, counting neither key's trailing filler: real files
// give a key after an all-blank one no duplicate bytes even when it starts with a blank.
size_t dupOf(std::string_view prev, std::string_view key, size_t trail, int fill) {
    size_t limit = std::min(key.size() - trail, prev.size() - trailOf(prev, fill));
    return commonStart(prev.data(), key.data(), limit);
}
uint64_t maskOf(int bits) {
    return bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
}
}  // namespace

size_t CdxLeaf::storedBytes(const std::string_view* prev, std::string_view key, uint32_t keyLength,
                            int trailFill) {
    size_t trail = trailOf(key, trailFill);
    size_t dup = prev ? dupOf(*prev, key, trail, trailFill) : 0;
    return keyLength - dup - trail;
}

size_t CdxLeaf::encodedSize(const std::vector<Entry>& entries, size_t begin, size_t end,
                            uint32_t keyLength, int trailFill, uint8_t minEntryBytes) {
    uint32_t maxRecno = 0;
    size_t stored = 0;
    std::string_view prev;
    for (size_t i = begin; i < end; ++i) {
        maxRecno = std::max(maxRecno, entries[i].recno);
        stored += storedBytes(i == begin ? nullptr : &prev, entries[i].key, keyLength, trailFill);
        prev = entries[i].key;
    }
    LeafLayout l = LeafLayout::forNode(keyLength, maxRecno, minEntryBytes);
    return stored + (end - begin) * l.entryBytes;
}

Status CdxLeaf::encodeTo(uint32_t keyLength, int trailFill, uint8_t minEntryBytes,
                         std::string* out) const {
    std::vector<KeyView> keys;
    keys.reserve(entries.size());
    for (const Entry& e : entries) keys.push_back({e.key, e.recno});
    return encodeKeys(keys, links, keyLength, trailFill, minEntryBytes, out);
}

void CdxLeaf::compression(std::span<const KeyView> keys, int trailFill, std::vector<uint8_t>* dups,
                          std::vector<uint8_t>* trails) {
    dups->resize(keys.size());
    trails->resize(keys.size());
    size_t prevTrail = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        size_t trail = trailOf(keys[i].key, trailFill);
        size_t dup = 0;
        if (i > 0) {
            size_t limit = std::min(keys[i].key.size() - trail, keys[i - 1].key.size() - prevTrail);
            dup = commonStart(keys[i - 1].key.data(), keys[i].key.data(), limit);
        }
        (*trails)[i] = uint8_t(trail);
        (*dups)[i] = uint8_t(dup);
        prevTrail = trail;
    }
}

Status CdxLeaf::encodeKeys(std::span<const KeyView> keys, const NodeLinks& links, uint32_t keyLength,
                           int trailFill, uint8_t minEntryBytes, std::string* out) {
    std::vector<uint8_t> dups, trails;
    compression(keys, trailFill, &dups, &trails);
    return encodeKeys(keys, dups, trails, links, keyLength, minEntryBytes, out);
}

Status CdxLeaf::encodeKeys(std::span<const KeyView> keys, std::span<const uint8_t> dups,
                           std::span<const uint8_t> trails, const NodeLinks& links, uint32_t keyLength,
                           uint8_t minEntryBytes, std::string* out) {
    uint32_t maxRecno = 0;
    size_t used = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        const KeyView& x = keys[i];
        if (x.key.size() != keyLength) {
            return Status::InvalidArgument("leaf key of " + std::to_string(x.key.size()) +
                                           " bytes for key length " + std::to_string(keyLength));
        }
        maxRecno = std::max(maxRecno, x.recno);
        used += keyLength - (i == 0 ? 0 : dups[i]) - trails[i];
    }
    LeafLayout l = LeafLayout::forNode(keyLength, maxRecno, minEntryBytes);
    used += keys.size() * l.entryBytes;
    if (used > kLeafArea) {
        return Status::InvalidArgument(std::to_string(keys.size()) + " keys do not fit one leaf");
    }
    size_t at = out->size();
    out->append(kPageSize, '\0');
    char* p = out->data() + at;
    encodeLinks(links, uint16_t(keys.size()), p);
    putLe16(p + 12, uint16_t(kLeafArea - used));
    putLe32(p + 14, uint32_t(maskOf(l.recBits)));
    p[18] = char(maskOf(l.dupBits));
    p[19] = char(maskOf(l.trailBits));
    p[20] = char(l.recBits);
    p[21] = char(l.dupBits);
    p[22] = char(l.trailBits);
    p[23] = char(l.entryBytes);
    size_t src = kPageSize;
    for (size_t i = 0; i < keys.size(); ++i) {
        std::string_view k = keys[i].key;
        size_t trail = trails[i];
        size_t dup = i == 0 ? 0 : dups[i];  // a leaf's first key repeats nothing
        uint64_t v = uint64_t(keys[i].recno) | (uint64_t(dup) << l.recBits) |
                     (uint64_t(trail) << (l.recBits + l.dupBits));
        for (int b = 0; b < l.entryBytes; ++b) p[24 + i * l.entryBytes + b] = char(v >> (8 * b));
        size_t stored = keyLength - dup - trail;
        src -= stored;
        std::memcpy(p + src, k.data() + dup, stored);
    }
    return Status::OK();
}

Status CdxLeaf::decodeFrom(std::string_view in, uint32_t keyLength, char fill) {
    uint16_t count = 0;
    Status s = decodeNodeLinks(in, &links, &count);
    if (!s.ok()) return s;
    if (!links.isLeaf()) return Status::Corruption("leaf node is not marked as a leaf");
    if (keyLength == 0 || keyLength > kMaxKeyLength) {
        return Status::Corruption("key length " + std::to_string(keyLength));
    }
    const char* p = in.data();
    declaredFree = getLe16(p + 12);
    uint64_t recMask = getLe32(p + 14), dupMask = uint8_t(p[18]), trailMask = uint8_t(p[19]);
    layout.recBits = uint8_t(p[20]);
    layout.dupBits = uint8_t(p[21]);
    layout.trailBits = uint8_t(p[22]);
    layout.entryBytes = uint8_t(p[23]);
    const LeafLayout& l = layout;
    if (l.entryBytes < 1 || l.entryBytes > 8 || l.recBits < 1 || l.recBits > 32 ||
        l.recBits + l.dupBits + l.trailBits > 8 * l.entryBytes) {
        return Status::Corruption("leaf bit widths " + std::to_string(l.recBits) + "/" +
                                  std::to_string(l.dupBits) + "/" + std::to_string(l.trailBits) +
                                  " do not fit " + std::to_string(l.entryBytes) + "-byte entries");
    }
    if ((recMask & ~maskOf(l.recBits)) || (dupMask & ~maskOf(l.dupBits)) ||
        (trailMask & ~maskOf(l.trailBits))) {
        return Status::Corruption("leaf masks are wider than their bit widths");
    }
    size_t packed = size_t(count) * l.entryBytes;
    if (packed > kLeafArea) {
        return Status::Corruption("key count " + std::to_string(count) +
                                  " is larger than a leaf holds");
    }
    // The entries' strings are reused: a cursor decodes leaf after leaf into one object.
    entries.resize(count);
    size_t src = kPageSize, floor = 24 + packed;
    for (size_t i = 0; i < count; ++i) {
        uint64_t v = 0;
        for (int b = l.entryBytes - 1; b >= 0; --b)
            v = (v << 8) | uint8_t(p[24 + i * l.entryBytes + b]);
        size_t dup = size_t((v >> l.recBits) & dupMask);
        size_t trail = size_t((v >> (l.recBits + l.dupBits)) & trailMask);
        if (dup + trail > keyLength || (i == 0 && dup != 0)) {
            return Status::Corruption("leaf entry " + std::to_string(i) + " has duplicate count " +
                                      std::to_string(dup) + " and trailing count " +
                                      std::to_string(trail) + " for key length " +
                                      std::to_string(keyLength));
        }
        size_t stored = keyLength - dup - trail;
        if (src < floor + stored) {
            return Status::Corruption("leaf key bytes overrun the packed entries");
        }
        src -= stored;
        Entry& e = entries[i];
        e.recno = uint32_t(v & recMask);
        e.key.resize(keyLength);  // no work on a reused entry
        char* k = e.key.data();
        if (dup) std::memcpy(k, entries[i - 1].key.data(), dup);
        std::memcpy(k + dup, p + src, stored);
        std::memset(k + dup + stored, fill, trail);
    }
    usedBytes = uint16_t(packed + (kPageSize - src));
    return Status::OK();
}

// ---- keys ----

std::string charKey(std::string_view bytes, uint32_t keyLength) {
    std::string k(bytes.substr(0, keyLength));
    k.resize(keyLength, kCharFill);
    return k;
}

std::string numericKey(double v) {
    if (v == 0.0) v = 0.0;  // -0.0 sorts with +0.0
    uint64_t u = std::bit_cast<uint64_t>(v);
    std::string out(8, '\0');
    for (int i = 0; i < 8; ++i) out[i] = char(u >> (56 - 8 * i));
    if (uint8_t(out[0]) & 0x80) {
        for (char& c : out) c = char(~c);
    } else {
        out[0] = char(out[0] | 0x80);
    }
    return out;
}

double numericKeyValue(std::string_view key) {
    std::string b(key.substr(0, 8));
    b.resize(8, '\0');
    if (uint8_t(b[0]) & 0x80) {
        b[0] = char(b[0] & 0x7F);
    } else {
        for (char& c : b) c = char(~c);
    }
    uint64_t u = 0;
    for (char c : b) u = (u << 8) | uint8_t(c);
    return std::bit_cast<double>(u);
}

std::string dateKey(int64_t julianDay) {
    return numericKey(double(julianDay));
}

std::string logicalKey(bool v) {
    return v ? "T" : "F";
}

}  // namespace cdx
