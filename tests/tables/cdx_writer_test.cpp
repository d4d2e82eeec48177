// Whole-file builds: a small index compared byte by byte with pages worked out by hand,
// and round trips of thousands of keys of every key type through the reader's cursors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "cdxReader.h"
#include "cdxWriter.h"

using namespace cdx;

namespace {

struct Row {
    size_t offset;
    std::vector<uint8_t> bytes;
};
std::string imageOf(size_t size, std::initializer_list<Row> rows) {
    std::string p(size, '\0');
    for (const Row& r : rows) std::memcpy(p.data() + r.offset, r.bytes.data(), r.bytes.size());
    return p;
}
std::string hexPage(std::string_view s, size_t page) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (size_t i = page * 512; i < std::min(s.size(), (page + 1) * 512); ++i) {
        unsigned char c = s[i];
        out += {d[c >> 4], d[c & 15], (i % 16 == 15) ? '\n' : ' '};
    }
    return out;
}
void expectSamePages(const std::string& got, const std::string& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t p = 0; p < want.size() / 512; ++p) {
        EXPECT_EQ(hexPage(got, p), hexPage(want, p)) << "page at " << p * 512;
    }
}

Status openImage(const std::string& image, std::unique_ptr<CdxReader>* r) {
    auto f = std::make_unique<MemoryFile>("t.cdx", std::make_shared<std::string>(image));
    return CdxReader::open(std::move(f), r);
}

TEST(CdxWriter, MinimalIndexIsByteExact) {
    CdxTagSpec t{
        "nombre", "NOMBRE", "!DELETED()", 8, {{"ADAMS   ", 1}, {"ADAMSON ", 2}, {"BAKER   ", 3}}};
    CdxWriteOptions o;
    o.minEntryBytes = 1;
    std::string got;
    ASSERT_TRUE(buildCdx({t}, o, &got).ok());
    // clang-format off
    std::string want = imageOf(3072, {
        // file header: root 0x400, free 0, counter 0, key length 10, options E0, signature 1
        {0x0000, {0x00, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0A, 0x00, 0xE0, 0x01}},
        {0x01F8, {0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00}},  // empty pools
        // directory root leaf: 1 key, free 488-3-6 = 479, rec mask FFFF, 16/4/4, E=3
        {0x0400, {0x03, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                  0xDF, 0x01, 0xFF, 0xFF}},
        // entry: tag header 0x600 | trail 4 << 20
        {0x0410, {0x00, 0x00, 0x0F, 0x0F, 0x10, 0x04, 0x04, 0x03, 0x00, 0x06, 0x40}},
        {0x05FA, {'N', 'O', 'M', 'B', 'R', 'E'}},
        // tag header: root 0xA00, key length 8, options 60 + FOR, pools 7 / 11
        {0x0600, {0x00, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x08, 0x00, 0x68, 0x01}},
        {0x07F8, {0x07, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x07, 0x00}},
        {0x0800, {'N', 'O', 'M', 'B', 'R', 'E', 0, '!', 'D', 'E', 'L', 'E', 'T', 'E', 'D', '('}},
        {0x0810, {')'}},
        // tag root leaf: 3 keys, free 488-6-12 = 470, rec mask FF, 8/4/4, E=2
        {0x0A00, {0x03, 0x00, 0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                  0xD6, 0x01, 0xFF, 0x00}},
        // ADAMS 1|trail 3; ADAMSON 2|dup 5|trail 1; BAKER 3|trail 3
        {0x0A10, {0x00, 0x00, 0x0F, 0x0F, 0x08, 0x04, 0x04, 0x02, 0x01, 0x30, 0x02, 0x15,
                  0x03, 0x30}},
        {0x0BF4, {'B', 'A', 'K', 'E', 'R', 'O', 'N', 'A', 'D', 'A', 'M', 'S'}},
    });
    // clang-format on
    expectSamePages(got, want);
}

TEST(CdxWriter, InteriorRootOverTwoLeavesIsByteExact) {
    // Key length 100, five keys of one repeated letter: 103 bytes per key with 3-byte
    // entries, so four fill the first leaf (412 of 488) and the fifth starts a second.
    CdxTagSpec t{"BIG", "BIG", "", 100, {}};
    for (int i = 0; i < 5; ++i)
        t.keys.push_back({std::string(100, char('A' + i)), uint32_t(i + 1)});
    std::string got;
    ASSERT_TRUE(buildCdx({t}, {}, &got).ok());
    ASSERT_EQ(got.size(), 0x1000u);
    // clang-format off
    std::string root = imageOf(512, {
        // root interior (attr 1), 2 keys, no siblings
        {0, {0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        // "DDD..." recno 4 child 0x0A00 (BE), then "EEE..." recno 5 child 0x0C00
        {12 + 100, {0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x0A, 0x00}},
        {12 + 208, {0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x0C, 0x00}},
    });
    // clang-format on
    std::memset(root.data() + 12, 'D', 100);
    std::memset(root.data() + 12 + 108, 'E', 100);
    EXPECT_EQ(hexPage(got, 7), hexPage(root, 0));
    EXPECT_EQ(getLe32(got.data() + 0x600), 0xE00u);  // tag root
    // leaves: attr 2, linked both ways
    EXPECT_EQ(hexPage(got.substr(0xA00, 12), 0),
              hexPage(std::string("\x02\x00\x04\x00\xFF\xFF\xFF\xFF\x00\x0C\x00\x00", 12), 0));
    EXPECT_EQ(hexPage(got.substr(0xC00, 12), 0),
              hexPage(std::string("\x02\x00\x01\x00\x00\x0A\x00\x00\xFF\xFF\xFF\xFF", 12), 0));
}

TEST(CdxWriter, RefusesBadTags) {
    struct Case {
        const char* what;
        CdxTagSpec tag;
    };
    const Case cases[] = {
        {"empty name", {"", "A", "", 4, {}}},
        {"long name", {"ABCDEFGHIJK", "A", "", 4, {}}},
        {"key length 0", {"A", "A", "", 0, {}}},
        {"key length 241", {"A", "A", "", 241, {}}},
        {"short key", {"A", "A", "", 4, {{"abc", 1}}}},
        {"recno 0", {"A", "A", "", 4, {{"abcd", 0}}}},
        {"out of order", {"A", "A", "", 4, {{"abcd", 1}, {"abcc", 2}}}},
        {"recno order", {"A", "A", "", 4, {{"abcd", 2}, {"abcd", 1}}}},
        {"unique repeat", {"A", "A", "", 4, {{"abcd", 1}, {"abcd", 2}}, false, true}},
        {"pool overflow", {"A", std::string(300, 'x'), std::string(300, 'y'), 4, {}}},
    };
    for (const Case& c : cases) {
        std::string img;
        EXPECT_EQ(buildCdx({c.tag}, {}, &img).code(), Status::Code::InvalidArgument) << c.what;
    }
    std::string img;
    CdxTagSpec a{"A", "A", "", 4, {}};
    EXPECT_EQ(buildCdx({a, a}, {}, &img).code(), Status::Code::InvalidArgument);
}

// ---- round trips ----

using Keys = std::vector<CdxLeaf::Entry>;

void sortKeys(Keys* k, bool descending = false) {
    std::sort(k->begin(), k->end(), [&](const auto& a, const auto& b) {
        if (a.key != b.key) return descending ? a.key > b.key : a.key < b.key;
        return a.recno < b.recno;
    });
}

// Forward and backward walks equal the input; seeks agree with a search over the input.
void checkRoundTrip(const CdxTagSpec& t, const std::vector<std::string>& probes) {
    SCOPED_TRACE(t.name);
    std::string img;
    ASSERT_TRUE(buildCdx({t}, {}, &img).ok());
    std::unique_ptr<CdxReader> r;
    Status s = openImage(img, &r);
    ASSERT_TRUE(s.ok()) << s.toString();
    ASSERT_EQ(r->tags().size(), 1u);
    TagInfo info = r->tags()[0];
    EXPECT_EQ(info.keyLength, t.keyLength);
    EXPECT_EQ(info.descending, t.descending);
    CdxCursor c(*r, info);
    size_t i = 0;
    for (s = c.first(); s.ok() && c.valid(); s = c.next(), ++i) {
        ASSERT_LT(i, t.keys.size());
        ASSERT_EQ(c.key(), t.keys[i].key) << i;
        ASSERT_EQ(c.recno(), t.keys[i].recno) << i;
    }
    ASSERT_TRUE(s.ok()) << s.toString();
    EXPECT_EQ(i, t.keys.size());
    for (s = c.last(); s.ok() && c.valid(); s = c.prev()) {
        ASSERT_GT(i, 0u);
        --i;
        ASSERT_EQ(c.key(), t.keys[i].key) << i;
        ASSERT_EQ(c.recno(), t.keys[i].recno) << i;
    }
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(i, 0u);

    for (const std::string& p : probes) {
        auto before = [&](const CdxLeaf::Entry& e) {
            int cmp = std::memcmp(e.key.data(), p.data(), std::min(p.size(), e.key.size()));
            return t.descending ? cmp > 0 : cmp < 0;
        };
        auto it = std::find_if_not(t.keys.begin(), t.keys.end(), before);
        bool found = false;
        ASSERT_TRUE(c.seek(p, &found).ok());
        if (it == t.keys.end()) {
            EXPECT_FALSE(c.valid()) << p;
            continue;
        }
        ASSERT_TRUE(c.valid()) << p;
        EXPECT_EQ(c.key(), it->key);
        EXPECT_EQ(c.recno(), it->recno);
        EXPECT_EQ(found, it->key.compare(0, p.size(), p) == 0);
        // The cursor, reused from seek to seek, walks on from where a seek left it.
        for (auto w = it + 1; w != t.keys.end() && w != it + 40; ++w) {
            ASSERT_TRUE(c.next().ok());
            ASSERT_TRUE(c.valid());
            ASSERT_EQ(c.key(), w->key) << p;
            ASSERT_EQ(c.recno(), w->recno) << p;
        }
    }
}

TEST(CdxWriter, CharacterKeysRoundTrip) {
    std::mt19937 rng(7);
    CdxTagSpec t{"NAME", "UPPER(name)", "!DELETED()", 12, {}};
    const char* stems[] = {"ADAMS", "ADAMSON", "BAKER", "", "Z", "ÑANDÚ", "MC", "MCDONALD"};
    for (uint32_t rec = 1; rec <= 5000; ++rec) {
        std::string k = stems[rng() % 8];
        if (rng() % 3) k += std::to_string(rng() % 700);
        t.keys.push_back({charKey(k, 12), rec});
    }
    sortKeys(&t.keys);
    std::vector<std::string> probes = {"",
                                       "A",
                                       "ADAMS",
                                       "ADAMSON1",
                                       "B",
                                       "MC",
                                       "MCD",
                                       "ZZZ",
                                       "\xFF",
                                       charKey("BAKER", 12),
                                       charKey("", 12)};
    for (int i = 0; i < 50; ++i)
        probes.push_back(t.keys[rng() % t.keys.size()].key.substr(0, 1 + rng() % 12));
    checkRoundTrip(t, probes);
}

TEST(CdxWriter, NumericDateAndLogicalKeysRoundTrip) {
    std::mt19937 rng(11);
    CdxTagSpec num{"AMOUNT", "amount", "", 8, {}, true};
    CdxTagSpec day{"DAY", "day", "", 8, {}, true};
    CdxTagSpec flag{"PAID", "paid", "", 1, {}};
    for (uint32_t rec = 1; rec <= 4000; ++rec) {
        double v = double(int(rng() % 20001) - 10000) / 4;  // negatives, zero, fractions
        num.keys.push_back({numericKey(v), rec});
        day.keys.push_back({dateKey(2451545 + int(rng() % 3000) - 1500), rec});
        flag.keys.push_back({logicalKey(rng() % 2), rec});
    }
    day.keys.push_back({dateKey(0), 4001});  // the empty date
    sortKeys(&num.keys);
    sortKeys(&day.keys);
    sortKeys(&flag.keys);
    checkRoundTrip(num, {numericKey(-10000), numericKey(-2500.25), numericKey(0), numericKey(0.25),
                         numericKey(2500), numericKey(1e9), numericKey(-1e9)});
    checkRoundTrip(day, {dateKey(0), dateKey(2451545), dateKey(2451544), dateKey(2460493)});
    checkRoundTrip(flag, {"F", "T", "A", "Z"});
}

TEST(CdxWriter, ManyTagsDeepTreesAndEdgeShapes) {
    std::vector<CdxTagSpec> tags;
    // A wide key forces a three-level tree with few keys (2 entries per interior node).
    CdxTagSpec wide{"WIDE", "memo", "", 240, {}};
    for (uint32_t rec = 1; rec <= 40; ++rec)
        wide.keys.push_back({std::string(240, char(rec)), rec});
    CdxTagSpec empty{"EMPTY", "x", "", 10, {}};
    CdxTagSpec desc{"DESC", "name", "", 4, {}, false, false, true};
    for (uint32_t rec = 1; rec <= 300; ++rec)
        desc.keys.push_back({charKey(std::to_string(rec % 97), 4), rec});
    sortKeys(&desc.keys, true);
    CdxTagSpec big{"BIGREC", "id", "", 4, {}};
    for (uint32_t rec = 1; rec <= 2000; ++rec)
        big.keys.push_back({charKey(std::to_string(rec), 4), rec * 4099});
    sortKeys(&big.keys);
    checkRoundTrip(wide, {std::string(1, char(20)), std::string(1, char(41)), ""});
    checkRoundTrip(empty, {"A"});
    checkRoundTrip(desc, {"5", "50", "96", "0", "99", "A"});
    checkRoundTrip(big, {"1", "2000", "3", "9"});

    // Many tags make the directory itself span several leaves.
    for (int i = 0; i < 120; ++i) {
        tags.push_back({"T" + std::to_string(i),
                        "f" + std::to_string(i),
                        "",
                        4,
                        {{charKey(std::to_string(i), 4), uint32_t(i + 1)}}});
    }
    std::string img;
    ASSERT_TRUE(buildCdx(tags, {}, &img).ok());
    std::unique_ptr<CdxReader> r;
    Status s = openImage(img, &r);
    ASSERT_TRUE(s.ok()) << s.toString();
    ASSERT_EQ(r->tags().size(), 120u);
    int t57 = r->findTag("t57");
    ASSERT_GE(t57, 0);
    EXPECT_EQ(r->tags()[t57].keyExpr, "f57");
    CdxCursor c(*r, r->tags()[t57]);
    ASSERT_TRUE(c.first().ok());
    ASSERT_TRUE(c.valid());
    EXPECT_EQ(c.recno(), 58u);
}

}  // namespace
