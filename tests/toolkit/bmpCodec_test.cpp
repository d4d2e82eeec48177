// BMP decoding and encoding: round trips, the uncompressed kinds, and damaged files that
// must give an error instead of a crash or a wrong picture.
#include "bmpCodec.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "Resources.h"
#include "embeddedResources.h"

namespace {

Picture gradient(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.set(x, y, RGB(x * 7, y * 11, (x + y) * 3));
    return p;
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A hand-made BMP with `bits` per pixel, given rows (bottom-up unless height < 0).
std::vector<uint8_t> handMade(int bits, int width, int height, const std::vector<uint32_t>& palette,
                              const std::vector<std::vector<uint8_t>>& rows) {
    uint32_t paletteBytes = uint32_t(palette.size() * 4);
    uint32_t offset = 54 + paletteBytes;
    std::vector<uint8_t> b(offset, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(height));
    b[26] = 1;
    b[28] = uint8_t(bits);
    put32(b, 46, uint32_t(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) put32(b, 54 + i * 4, palette[i]);
    for (const auto& r : rows) b.insert(b.end(), r.begin(), r.end());
    put32(b, 2, uint32_t(b.size()));
    return b;
}

TEST(BmpCodec, EncodedPicturesDecodeToTheSamePixelsAndExactSize) {
    for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {5, 7}, {471, 444}}) {
        Picture p = gradient(w, h);
        auto bytes = encodeBmp24(p);
        size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + stride * h) << w << "x" << h;
        Picture back;
        ASSERT_TRUE(decodeBmp(bytes, back).ok());
        EXPECT_EQ(back.width, w);
        EXPECT_EQ(back.height, h);
        EXPECT_EQ(back.pixels, p.pixels) << w << "x" << h;
    }
}

TEST(BmpCodec, PaletteAndThirtyTwoBitAndTopDownFiles) {
    // 8 bits, 2 x 2, bottom-up: the first stored row is the bottom one.
    auto eight = handMade(8, 2, 2, {0x00FF0000, 0x0000FF00}, {{1, 0, 0, 0}, {0, 1, 0, 0}});
    Picture p;
    ASSERT_TRUE(decodeBmp(eight, p).ok());
    EXPECT_EQ(p.at(0, 0), RGB(255, 0, 0));  // palette entries are stored blue, green, red
    EXPECT_EQ(p.at(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(p.at(0, 1), RGB(0, 255, 0));

    // 1 bit, 3 x 1: bits from the most significant one.
    auto one = handMade(1, 3, 1, {0x00000000, 0x00FFFFFF}, {{0b10100000, 0, 0, 0}});
    ASSERT_TRUE(decodeBmp(one, p).ok());
    EXPECT_EQ(p.at(0, 0), colors::white);
    EXPECT_EQ(p.at(1, 0), colors::black);
    EXPECT_EQ(p.at(2, 0), colors::white);

    // 32 bits, top-down (negative height).
    auto top = handMade(32, 1, 2, {}, {{0, 0, 255, 0}, {255, 0, 0, 0}});
    put32(top, 22, uint32_t(-2));
    ASSERT_TRUE(decodeBmp(top, p).ok());
    EXPECT_EQ(p.at(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(p.at(0, 1), RGB(0, 0, 255));
}

TEST(BmpCodec, DamagedFilesAreRefusedWithAReason) {
    auto good = encodeBmp24(gradient(4, 4));
    struct Row {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* reason;
    };
    const Row rows[] = {
        {"empty", [](auto& b) { b.clear(); }, "too short"},
        {"signature", [](auto& b) { b[0] = 'X'; }, "signature"},
        {"truncated pixels", [](auto& b) { b.resize(b.size() - 1); }, "outside"},
        {"compressed", [](auto& b) { b[30] = 1; }, "compressed"},
        {"16 bits", [](auto& b) { b[28] = 16; }, "16 bits"},
        {"zero width", [](auto& b) { put32(b, 18, 0); }, "bad size"},
        {"huge", [](auto& b) { put32(b, 18, 100000); }, "bad size"},
        {"offset past end", [](auto& b) { put32(b, 10, 0xFFFFFFF0u); }, "outside"},
        {"header size", [](auto& b) { put32(b, 14, 12); }, "header size"},
        {"planes", [](auto& b) { b[26] = 2; }, "planes"},
    };
    for (const auto& row : rows) {
        auto bytes = good;
        row.damage(bytes);
        Picture p(1, 1);
        Status s = decodeBmp(bytes, p);
        EXPECT_FALSE(s.ok()) << row.name;
        EXPECT_NE(s.message().find(row.reason), std::string::npos)
            << row.name << ": " << s.message();
        EXPECT_TRUE(p.empty()) << row.name;
    }
    // A palette that claims more colours than fit before the pixels.
    auto eight = handMade(8, 1, 1, {0}, {{0, 0, 0, 0}});
    put32(eight, 46, 200);
    Picture p;
    EXPECT_FALSE(decodeBmp(eight, p).ok());
}

TEST(BmpCodec, PaletteEncodingKeepsEveryPixelAndTheExactSize) {
    // Odd widths leave a half-filled byte (4 bits) and row padding; both must decode back.
    struct Row {
        int bits, width, height, colours;
        size_t bytes;
    };
    for (const Row& r : {Row{4, 16, 16, 16, 246}, Row{8, 16, 16, 256, 1334}, Row{4, 5, 3, 7, 130},
                         Row{8, 3, 2, 6, 1086}, Row{4, 1, 1, 1, 122}}) {
        Picture p(r.width, r.height);
        for (int i = 0; i < r.width * r.height; ++i)
            p.pixels[size_t(i)] = Picture::toWord(RGB(i % r.colours * 37, i % r.colours, 200));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(encodeBmpIndexed(p, r.bits, bytes).ok()) << r.bits << " " << r.width;
        EXPECT_EQ(bytes.size(), r.bytes) << r.bits << " " << r.width;
        EXPECT_EQ(bytes[28], r.bits);
        Picture back;
        ASSERT_TRUE(decodeBmp(bytes, back).ok());
        EXPECT_EQ(back.pixels, p.pixels) << r.bits << " " << r.width;
    }
}

TEST(BmpCodec, PaletteEncodingRefusesWhatItCannotHold) {
    Picture many(17, 1);
    for (int x = 0; x < 17; ++x) many.set(x, 0, RGB(x, 0, 0));
    std::vector<uint8_t> bytes{1, 2, 3};
    Status s = encodeBmpIndexed(many, 4, bytes);
    EXPECT_NE(s.message().find("more than 16 colours"), std::string::npos) << s.message();
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(encodeBmpIndexed(many, 8, bytes).ok());
    EXPECT_FALSE(encodeBmpIndexed(many, 24, bytes).ok());
    EXPECT_FALSE(encodeBmpIndexed(Picture(), 8, bytes).ok());
}

TEST(BmpCodec, AlphaIsReadOnlyFromThirtyTwoBitFilesThatUseIt) {
    auto withAlpha = handMade(32, 2, 1, {}, {{0, 0, 255, 0, 0, 255, 0, 128}});
    EXPECT_EQ(bmpAlpha(withAlpha), (std::vector<uint8_t>{0, 128}));
    auto opaque = handMade(32, 2, 1, {}, {{0, 0, 255, 0, 0, 255, 0, 0}});
    EXPECT_TRUE(bmpAlpha(opaque).empty());
    EXPECT_TRUE(bmpAlpha(encodeBmp24(gradient(2, 2))).empty());
    withAlpha.resize(withAlpha.size() - 1);  // damaged: no alpha, no read past the end
    EXPECT_TRUE(bmpAlpha(withAlpha).empty());
}

TEST(EmbeddedPictures, HaveTheirExactSizesDepthsAndByteCounts) {
    registerEmbeddedResources();
    struct Row {
        const char* name;
        int width, height;
        size_t bytes, minColours;
    };
    for (const Row& r : {Row{"BMP_TARVELON", 471, 444, 54 + 1416 * 444, 50},
                         Row{"a_pri", 32, 32, 54 + 96 * 32, 6}}) {
        auto bytes = resourceBytes(r.name);
        ASSERT_EQ(bytes.size(), r.bytes) << r.name;
        EXPECT_EQ(bytes[28], 24) << r.name;  // bits per pixel
        Picture p = resourcePicture(r.name);
        EXPECT_EQ(p.width, r.width) << r.name;
        EXPECT_EQ(p.height, r.height) << r.name;
        // Our own pictures, not blank rectangles: many distinct colours.
        std::set<uint32_t> colours(p.pixels.begin(), p.pixels.end());
        EXPECT_GE(colours.size(), r.minColours) << r.name;
    }
}

}  // namespace
