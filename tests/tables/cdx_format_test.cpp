// Page codecs of compound index files against pages worked out by hand from the published
// layout, the order-preserving key encodings, and damaged pages refused without crashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "cdxFormat.h"

using namespace cdx;

namespace {

// Bytes from "offset: hex hex ..." rows; unlisted bytes are zero.
struct Row {
    size_t offset;
    std::vector<uint8_t> bytes;
};
std::string pageOf(size_t size, std::initializer_list<Row> rows) {
    std::string p(size, '\0');
    for (const Row& r : rows) std::memcpy(p.data() + r.offset, r.bytes.data(), r.bytes.size());
    return p;
}
std::string hex(std::string_view s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) out += {d[c >> 4], d[c & 15], ' '};
    return out;
}

TEST(CdxFormat, LeafWithThreeByteEntriesIsByteExact) {
    // Keys "ADAMS   "/17, "ADAMSON "/300, "BAKER   "/5; key length 8, largest recno 300.
    // clang-format off
    std::string want = pageOf(512, {
        // attr 3, 3 keys, no siblings, free 467 = 488 - 3*3 - (5+2+5), rec mask 0000FFFF
        {0x000, {0x03, 0x00, 0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                 0xD3, 0x01, 0xFF, 0xFF}},
        // dup/trail masks 0F 0F; bits 16/4/4; E=3; ADAMS: 17 | 3<<20; ADAMSON: 300|5<<16|1<<20
        {0x010, {0x00, 0x00, 0x0F, 0x0F, 0x10, 0x04, 0x04, 0x03, 0x11, 0x00, 0x30, 0x2C,
                 0x01, 0x15, 0x05, 0x00}},
        {0x020, {0x30}},                                      // BAKER: 5 | 3<<20
        {0x1F4, {'B', 'A', 'K', 'E', 'R', 'O', 'N', 'A', 'D', 'A', 'M', 'S'}},
    });
    // clang-format on
    CdxLeaf leaf;
    leaf.links.attributes = kAttrRoot | kAttrLeaf;
    leaf.entries = {{"ADAMS   ", 17}, {"ADAMSON ", 300}, {"BAKER   ", 5}};
    std::string got;
    ASSERT_TRUE(leaf.encodeTo(8, kCharFill, 1, &got).ok());
    EXPECT_EQ(hex(got), hex(want));

    CdxLeaf back;
    ASSERT_TRUE(back.decodeFrom(got, 8, kCharFill).ok());
    ASSERT_EQ(back.entries.size(), 3u);
    EXPECT_EQ(back.entries[1].key, "ADAMSON ");
    EXPECT_EQ(back.entries[1].recno, 300u);
    EXPECT_EQ(back.declaredFree, 467);
}

TEST(CdxFormat, InteriorNodeIsByteExact) {
    // clang-format off
    std::string want = pageOf(512, {
        {0x00, {0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                'A', 'D', 'A', 'M'}},
        // "SON ", recno 300 BE, child 0x0A00 BE, "BAKE"
        {0x10, {'S', 'O', 'N', ' ', 0x00, 0x00, 0x01, 0x2C, 0x00, 0x00, 0x0A, 0x00,
                'B', 'A', 'K', 'E'}},
        {0x20, {'R', ' ', ' ', ' ', 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x0C, 0x00}},
    });
    // clang-format on
    CdxInterior node;
    node.links.attributes = kAttrRoot;
    node.entries = {{"ADAMSON ", 300, 0xA00}, {"BAKER   ", 5, 0xC00}};
    std::string got;
    ASSERT_TRUE(node.encodeTo(8, &got).ok());
    EXPECT_EQ(hex(got), hex(want));
    CdxInterior back;
    ASSERT_TRUE(back.decodeFrom(got, 8).ok());
    ASSERT_EQ(back.entries.size(), 2u);
    EXPECT_EQ(back.entries[1].child, 0xC00u);
    EXPECT_EQ(CdxInterior::capacity(8), 31u);
    EXPECT_EQ(CdxInterior::capacity(10), 27u);
    EXPECT_EQ(CdxInterior::capacity(240), 2u);
}

const std::string kBin("\x80\x00\x00\x01", 4);

TEST(CdxFormat, LeafCompressionBoundaries) {
    struct Case {
        const char* what;
        std::vector<CdxLeaf::Entry> entries;
        uint32_t keyLen;
        int fill;
        size_t wantUsed;
    };
    const Case cases[] = {
        // identical keys with blanks: second stores nothing (dup 5 capped at 10 - trail 5)
        {"duplicate blanks", {{"Audio     ", 1}, {"Audio     ", 2}}, 10, ' ', 2 * 2 + 5},
        {"all blank", {{"          ", 1}, {"          ", 2}}, 10, ' ', 2 * 2},
        // as in real files: no bytes are shared with the filler of the previous key
        {"after an all-blank key", {{"          ", 1}, {" None     ", 2}}, 10, ' ', 2 * 2 + 5},
        {"after a shorter key", {{"AB        ", 1}, {"AB C      ", 2}}, 10, ' ', 2 * 2 + 2 + 2},
        // binary keys without filler: the second identical key has dup = keyLen
        {"identical binary", {{kBin, 1}, {kBin, 2}}, 4, -1, 2 * 1 + 4},
        // 3+3 bits for dup/trail; the record number decides the entry width
        {"recno 255", {{kBin, 255}}, 4, -1, 2 + 4},
        {"recno 256", {{kBin, 256}}, 4, -1, 2 + 4},
        {"recno 2^18-1", {{kBin, 262143}}, 4, -1, 3 + 4},
        {"recno 2^18", {{kBin, 262144}}, 4, -1, 4 + 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CdxLeaf::encodedSize(c.entries, 0, c.entries.size(), c.keyLen, c.fill, 1),
                  c.wantUsed);
        CdxLeaf leaf;
        leaf.entries = c.entries;
        std::string page;
        ASSERT_TRUE(leaf.encodeTo(c.keyLen, c.fill, 1, &page).ok());
        CdxLeaf back;
        ASSERT_TRUE(back.decodeFrom(page, c.keyLen, c.fill < 0 ? '\0' : char(c.fill)).ok());
        ASSERT_EQ(back.entries.size(), c.entries.size());
        for (size_t i = 0; i < c.entries.size(); ++i) {
            EXPECT_EQ(back.entries[i].key, c.entries[i].key);
            EXPECT_EQ(back.entries[i].recno, c.entries[i].recno);
        }
    }
}

TEST(CdxFormat, LeafFilledExactlyAndOneByteOver) {
    // 8-byte binary keys with distinct first bytes, 3-byte entries: 11 bytes each.
    // 44 keys = 484 bytes; 4 more stored bytes fill 488 exactly, 5 overflow.
    std::vector<CdxLeaf::Entry> e;
    for (int i = 0; i < 44; ++i)
        e.push_back({std::string(1, char(i + 1)) + "ABCDEFG", uint32_t(i + 1)});
    CdxLeaf leaf;
    leaf.entries = e;
    std::string page;
    EXPECT_EQ(CdxLeaf::encodedSize(e, 0, e.size(), 8, -1, 3), 484u);
    ASSERT_TRUE(leaf.encodeTo(8, -1, 3, &page).ok());
    EXPECT_EQ(getLe16(page.data() + 12), 4);
    leaf.entries.push_back({std::string(1, char(100)) + "ABCDEFG", 45});
    page.clear();
    EXPECT_EQ(leaf.encodeTo(8, -1, 3, &page).code(), Status::Code::InvalidArgument);
}

TEST(CdxFormat, KeyEncodings) {
    struct Case {
        std::string key;
        std::vector<uint8_t> want;
    };
    const Case cases[] = {
        {numericKey(0), {0x80, 0, 0, 0, 0, 0, 0, 0}},
        {numericKey(-0.0), {0x80, 0, 0, 0, 0, 0, 0, 0}},
        {numericKey(1), {0xBF, 0xF0, 0, 0, 0, 0, 0, 0}},
        {numericKey(-1), {0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {numericKey(12.5), {0xC0, 0x29, 0, 0, 0, 0, 0, 0}},
        {numericKey(-12.5), {0x3F, 0xD6, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {dateKey(2451544), {0xC1, 0x42, 0xB4, 0x2C, 0, 0, 0, 0}},     // 1999-12-31
        {dateKey(2451545), {0xC1, 0x42, 0xB4, 0x2C, 0x80, 0, 0, 0}},  // 2000-01-01
        {dateKey(2460493), {0xC1, 0x42, 0xC5, 0xA6, 0x80, 0, 0, 0}},  // 2024-07-01
        {logicalKey(true), {'T'}},
        {logicalKey(false), {'F'}},
        {charKey("AB", 4), {'A', 'B', ' ', ' '}},
        {charKey("ABCDEF", 4), {'A', 'B', 'C', 'D'}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(c.key), hex(std::string(c.want.begin(), c.want.end())));
    }
    const double ordered[] = {-1e300, -1e9, -12.5, -1,   -1e-300, 0,
                              1e-300, 0.5,  1,     12.5, 1e9,     1e300};
    for (size_t i = 0; i + 1 < std::size(ordered); ++i) {
        EXPECT_LT(numericKey(ordered[i]), numericKey(ordered[i + 1])) << ordered[i];
        EXPECT_EQ(numericKeyValue(numericKey(ordered[i])), ordered[i]);
    }
    EXPECT_LT(logicalKey(false), logicalKey(true));
}

TEST(CdxFormat, HeaderKeepsExpressionsAsGiven) {
    CdxHeader h;
    h.root = 0xA00;
    h.counter = 11;
    h.keyLength = 8;
    h.options = kTagOptions | kOptFor;
    h.keyExpr = "NOMBRE";
    h.forExpr = "!DELETED()";
    std::string got;
    ASSERT_TRUE(h.encodeTo(&got).ok());
    // clang-format off
    std::string want = pageOf(1024, {
        {0x000, {0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B,
                 0x08, 0x00, 0x68, 0x01}},  // root LE, free 0, counter 11 BE, keyLen, options, sig
        {0x1F0, {0, 0, 0, 0, 0, 0, 0, 0, 0x07, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x07, 0x00}},
        {0x200, {'N', 'O', 'M', 'B', 'R', 'E', 0, '!', 'D', 'E', 'L', 'E', 'T', 'E', 'D', '('}},
        {0x210, {')'}},
    });
    // clang-format on
    EXPECT_EQ(hex(got), hex(want));
    CdxHeader back;
    ASSERT_TRUE(back.decodeFrom(got).ok());
    EXPECT_EQ(back.keyExpr, "NOMBRE");
    EXPECT_EQ(back.forExpr, "!DELETED()");
    EXPECT_EQ(back.counter, 11u);
    h.keyExpr = std::string(400, 'x');
    h.forExpr = std::string(200, 'y');
    EXPECT_EQ(h.encodeTo(&got).code(), Status::Code::InvalidArgument);
}

TEST(CdxFormat, DamagedPagesAreRefused) {
    CdxLeaf good;
    good.entries = {{"ADAMS   ", 17}, {"ADAMSON ", 300}};
    std::string base;
    ASSERT_TRUE(good.encodeTo(8, kCharFill, 1, &base).ok());
    struct Case {
        const char* what;
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"key count too large", 2, {0xFF, 0x00}},
        {"entry width 0", 23, {0x00}},
        {"entry width 9", 23, {0x09}},
        {"bits exceed width", 20, {0x20}},
        {"first entry with dup", 26, {0x35}},
        {"dup + trail over key length", 29, {0xFF}},
        {"mask wider than bits", 18, {0xFF}},
        {"not a leaf", 0, {0x01}},
    };
    for (const Case& c : cases) {
        std::string page = base;
        std::memcpy(page.data() + c.offset, c.bytes.data(), c.bytes.size());
        CdxLeaf leaf;
        EXPECT_EQ(leaf.decodeFrom(page, 8, ' ').code(), Status::Code::Corruption) << c.what;
    }
    CdxLeaf leaf;
    EXPECT_EQ(leaf.decodeFrom(base.substr(0, 100), 8, ' ').code(), Status::Code::Corruption);
    CdxInterior node;
    std::string interior(512, '\0');
    interior[2] = 40;  // 40 entries of 16 bytes cannot fit 500 bytes
    EXPECT_EQ(node.decodeFrom(interior, 8).code(), Status::Code::Corruption);
}

}  // namespace
