#include "cdxWriter.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace cdx {

namespace {

struct ChildRef {
    std::string key;
    uint32_t recno;
    uint32_t offset;
};

// Appends the pages of one tree to `image` (which ends on a page boundary) and gives the
// root offset.
Status buildTree(std::span<const KeyView> keys, uint32_t keyLength, int trailFill,
                 uint8_t minEntryBytes, std::string* image, uint32_t* root) {
    // Group the keys into leaves, each as full as the key area allows.
    std::vector<uint8_t> dups, trails;
    CdxLeaf::compression(keys, trailFill, &dups, &trails);
    std::vector<std::pair<size_t, size_t>> groups;
    for (size_t begin = 0; begin < keys.size();) {
        // The leaf's size as CdxLeaf::encodedSize counts it, grown one key at a time.
        uint32_t maxRecno = keys[begin].recno;
        size_t stored = keyLength - trails[begin];
        size_t end = begin + 1;
        for (; end < keys.size(); ++end) {
            uint32_t m = std::max(maxRecno, keys[end].recno);
            size_t st = stored + keyLength - dups[end] - trails[end];
            size_t entryBytes = LeafLayout::forNode(keyLength, m, minEntryBytes).entryBytes;
            if (st + (end + 1 - begin) * entryBytes > kLeafArea) break;
            maxRecno = m;
            stored = st;
        }
        groups.push_back({begin, end});
        begin = end;
    }
    if (groups.empty()) groups.push_back({0, 0});
    // The leaves and, above them, interior levels of a little more than a tenth as many pages.
    image->reserve(image->size() + (groups.size() + groups.size() / 8 + 2) * kPageSize);

    uint32_t base = uint32_t(image->size());
    std::vector<ChildRef> level;
    for (size_t g = 0; g < groups.size(); ++g) {
        NodeLinks links;
        links.attributes = kAttrLeaf | (groups.size() == 1 ? kAttrRoot : 0);
        links.left = g == 0 ? kNoPage : base + uint32_t(g - 1) * kPageSize;
        links.right = g + 1 == groups.size() ? kNoPage : base + uint32_t(g + 1) * kPageSize;
        size_t first = groups[g].first, count = groups[g].second - first;
        auto leafKeys = keys.subspan(first, count);
        uint32_t at = uint32_t(image->size());
        Status s = CdxLeaf::encodeKeys(leafKeys, std::span(dups).subspan(first, count),
                                       std::span(trails).subspan(first, count), links, keyLength,
                                       minEntryBytes, image);
        if (!s.ok()) return s;
        if (!leafKeys.empty()) {
            level.push_back({std::string(leafKeys.back().key), leafKeys.back().recno, at});
        }
    }
    if (groups.size() == 1) {
        *root = base;
        return Status::OK();
    }
    size_t cap = CdxInterior::capacity(keyLength);
    while (true) {
        size_t nodes = (level.size() + cap - 1) / cap;
        base = uint32_t(image->size());
        std::vector<ChildRef> up;
        for (size_t n = 0; n < nodes; ++n) {
            CdxInterior node;
            node.links.attributes = nodes == 1 ? kAttrRoot : 0;
            node.links.left = n == 0 ? kNoPage : base + uint32_t(n - 1) * kPageSize;
            node.links.right = n + 1 == nodes ? kNoPage : base + uint32_t(n + 1) * kPageSize;
            size_t end = std::min(level.size(), (n + 1) * cap);
            for (size_t i = n * cap; i < end; ++i) {
                node.entries.push_back({level[i].key, level[i].recno, level[i].offset});
            }
            uint32_t at = uint32_t(image->size());
            Status s = node.encodeTo(keyLength, image);
            if (!s.ok()) return s;
            up.push_back({node.entries.back().key, node.entries.back().recno, at});
        }
        if (nodes == 1) {
            *root = base;
            return Status::OK();
        }
        level = std::move(up);
    }
}

// The tag's keys as views: its own views, or views of its entries kept in `own`.
std::span<const KeyView> viewsOf(const CdxTagSpec& t, std::vector<KeyView>* own) {
    if (!t.views.empty() || t.keys.empty()) return t.views;
    own->reserve(t.keys.size());
    for (const CdxLeaf::Entry& e : t.keys) own->push_back({e.key, e.recno});
    return *own;
}

Status checkTag(const CdxTagSpec& t, std::string* upperName) {
    std::string n = t.name;
    for (char& c : n) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    bool nameOk = !n.empty() && n.size() <= kDirectoryKeyLength &&
                  std::all_of(n.begin(), n.end(), [](char c) {
                      return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
                  });
    if (!nameOk) return Status::InvalidArgument("tag name \"" + t.name + "\" is not valid");
    if (t.keyLength == 0 || t.keyLength > kMaxKeyLength) {
        return Status::InvalidArgument("tag " + n + ": key length " + std::to_string(t.keyLength));
    }
    std::vector<KeyView> own;
    std::span<const KeyView> keys = viewsOf(t, &own);
    for (size_t i = 0; i < keys.size(); ++i) {
        const KeyView& e = keys[i];
        // Named only when something is wrong: this runs for every key of a big tag.
        auto where = [&] { return "tag " + n + ": key " + std::to_string(i); };
        if (e.key.size() != t.keyLength) {
            return Status::InvalidArgument(where() + " has " + std::to_string(e.key.size()) +
                                           " bytes, not " + std::to_string(t.keyLength));
        }
        if (e.recno == 0) return Status::InvalidArgument(where() + " has record number 0");
        if (i == 0) continue;
        const KeyView& p = keys[i - 1];
        int c = std::memcmp(p.key.data(), e.key.data(), t.keyLength);
        if (t.descending) c = -c;
        if (c > 0 || (c == 0 && p.recno >= e.recno)) {
            return Status::InvalidArgument(where() + " is out of order");
        }
        if (c == 0 && t.unique) return Status::InvalidArgument(where() + " repeats in a unique tag");
    }
    *upperName = n;
    return Status::OK();
}

// One tag's header and tree, laid out as if the header were at offset 0.
Status tagImage(const CdxTagSpec& t, const std::string& name, const CdxWriteOptions& options,
                std::string* img) {
    img->assign(kHeaderSize, '\0');
    uint32_t root = 0;
    std::vector<KeyView> own;
    Status s = buildTree(viewsOf(t, &own), t.keyLength, t.binary ? -1 : kCharFill,
                         options.minEntryBytes, img, &root);
    if (!s.ok()) return s;
    CdxHeader h;
    h.root = root;
    h.keyLength = uint16_t(t.keyLength);
    h.options = uint8_t(kTagOptions | (t.forExpr.empty() ? 0 : kOptFor) | (t.unique ? kOptUnique : 0));
    h.descending = t.descending;
    h.keyExpr = t.keyExpr;
    h.forExpr = t.forExpr;
    std::string head;
    s = h.encodeTo(&head);
    if (!s.ok()) return Status::InvalidArgument("tag " + name + ": " + s.message());
    img->replace(0, kHeaderSize, head);
    return Status::OK();
}

// Moves a tag image built at offset 0 to `shift`: the root and every page pointer.
void shiftTagImage(uint32_t shift, uint32_t keyLength, std::string* image) {
    std::string& img = *image;
    putLe32(img.data(), getLe32(img.data()) + shift);
    for (size_t p = kHeaderSize; p < img.size(); p += kPageSize) {
        char* page = img.data() + p;
        uint16_t attr = getLe16(page), count = getLe16(page + 2);
        for (int link = 4; link <= 8; link += 4) {
            uint32_t v = getLe32(page + link);
            if (v != kNoPage) putLe32(page + link, v + shift);
        }
        if (attr & kAttrLeaf) continue;
        for (uint16_t e = 0; e < count; ++e) {
            char* child = page + 12 + e * (keyLength + 8) + keyLength + 4;
            putBe32(child, getBe32(child) + shift);
        }
    }
}

}  // namespace

Status buildCdx(const std::vector<CdxTagSpec>& tags, const CdxWriteOptions& options,
                std::string* image) {
    if (options.minEntryBytes < 1 || options.minEntryBytes > 8) {
        return Status::InvalidArgument("minimum leaf entry width must be 1 to 8 bytes");
    }
    std::vector<std::string> names(tags.size());
    std::set<std::string> seen;
    for (size_t i = 0; i < tags.size(); ++i) {
        Status s = checkTag(tags[i], &names[i]);
        if (!s.ok()) return s;
        if (!seen.insert(names[i]).second) {
            return Status::InvalidArgument("tag " + names[i] + " is given twice");
        }
    }

    // Each tag: its 1024-byte header, then its tree.
    std::vector<std::string> tagImages(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        Status s = tagImage(tags[i], names[i], options, &tagImages[i]);
        if (!s.ok()) return s;
    }

    // The directory's size depends on the tag offsets it stores, which depend on its size.
    std::string dir;
    uint32_t dirRoot = 0, dirPages = 1;
    std::vector<uint32_t> offsets(tags.size());
    for (int round = 0;; ++round) {
        uint32_t at = kHeaderSize + dirPages * kPageSize;
        for (size_t i = 0; i < tags.size(); ++i) {
            offsets[i] = at;
            at += uint32_t(tagImages[i].size());
        }
        std::vector<CdxLeaf::Entry> entries;
        for (size_t i = 0; i < tags.size(); ++i) {
            entries.push_back({charKey(names[i], kDirectoryKeyLength), offsets[i]});
        }
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.key < b.key; });
        std::vector<KeyView> views;
        for (const CdxLeaf::Entry& e : entries) views.push_back({e.key, e.recno});
        dir.assign(kHeaderSize, '\0');
        Status s = buildTree(views, kDirectoryKeyLength, kCharFill, options.minEntryBytes, &dir,
                             &dirRoot);
        if (!s.ok()) return s;
        uint32_t pages = uint32_t(dir.size() - kHeaderSize) / kPageSize;
        if (pages == dirPages) break;
        if (round > 8) return Status::InvalidArgument("tag directory layout does not settle");
        dirPages = pages;
    }

    // Tree pages were laid out from offset 0 of their own image: shift every pointer.
    image->assign(dir);
    CdxHeader top;
    top.root = dirRoot;
    std::string head;
    Status s = top.encodeTo(&head);
    if (!s.ok()) return s;
    image->replace(0, kHeaderSize, head);
    size_t total = image->size();
    for (const std::string& img : tagImages) total += img.size();
    image->reserve(total);
    for (size_t i = 0; i < tags.size(); ++i) {
        shiftTagImage(offsets[i], tags[i].keyLength, &tagImages[i]);
        image->append(tagImages[i]);
        std::string().swap(tagImages[i]);
    }
    return Status::OK();
}

Status buildTagAt(const CdxTagSpec& tag, const CdxWriteOptions& options, uint32_t origin,
                  std::string* image) {
    if (origin % kPageSize != 0) return Status::InvalidArgument("tag origin is not a page offset");
    std::string name;
    Status s = checkTag(tag, &name);
    if (s.ok()) s = tagImage(tag, name, options, image);
    if (s.ok()) shiftTagImage(origin, tag.keyLength, image);
    return s;
}

Status writeCdx(const std::vector<CdxTagSpec>& tags, const CdxWriteOptions& options, File* out) {
    std::string image;
    Status s = buildCdx(tags, options, &image);
    if (!s.ok()) return Status::InvalidArgument(out->name() + ": " + s.message());
    s = out->truncate(0);
    if (s.ok()) s = out->write(0, image);
    if (s.ok()) s = out->sync();
    return s;
}

}  // namespace cdx
