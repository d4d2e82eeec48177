#include "bmpCodec.h"

#include <string>

namespace {

uint32_t u16(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8;
}
uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}
int32_t s32(std::span<const uint8_t> b, size_t at) {
    return int32_t(u32(b, at));
}

void put16(std::vector<uint8_t>& o, uint32_t v) {
    o.push_back(uint8_t(v));
    o.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& o, uint32_t v) {
    put16(o, v & 0xFFFF);
    put16(o, v >> 16);
}

constexpr size_t kFileHeader = 14;

struct Header {
    int64_t width = 0;
    int64_t height = 0;  // positive
    bool topDown = false;
    int bits = 0;
    uint64_t dataOffset = 0;
    uint64_t stride = 0;
    std::vector<uint32_t> palette;  // 0x00RRGGBB
};

Status readHeader(std::span<const uint8_t> b, Header& h) {
    if (b.size() < kFileHeader + 40) return Status::Corruption("BMP: too short for its headers");
    if (b[0] != 'B' || b[1] != 'M') return Status::Corruption("BMP: no BM signature");
    h.dataOffset = u32(b, 10);
    uint32_t infoSize = u32(b, 14);
    if (infoSize < 40 || kFileHeader + uint64_t(infoSize) > b.size())
        return Status::NotSupported("BMP: header size " + std::to_string(infoSize) +
                                    " not supported");
    h.width = s32(b, 18);
    int64_t height = s32(b, 22);
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.bits = int(u16(b, 28));
    uint32_t compression = u32(b, 30);
    if (u16(b, 26) != 1) return Status::Corruption("BMP: planes must be 1");
    if (compression != 0) return Status::NotSupported("BMP: compressed bitmaps are not supported");
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24 && h.bits != 32)
        return Status::NotSupported("BMP: " + std::to_string(h.bits) +
                                    " bits per pixel not supported");
    if (h.width <= 0 || h.height <= 0 || h.width > kBmpMaxSide || h.height > kBmpMaxSide ||
        h.width * h.height > kBmpMaxPixels)
        return Status::InvalidArgument("BMP: bad size " + std::to_string(h.width) + " x " +
                                       std::to_string(h.height));
    h.stride = (uint64_t(h.width) * h.bits + 31) / 32 * 4;
    if (h.dataOffset < kFileHeader + infoSize || h.dataOffset + h.stride * h.height > b.size())
        return Status::Corruption("BMP: pixel data outside the file");
    if (h.bits <= 8) {
        uint64_t colours = u32(b, 46);
        uint64_t maxColours = uint64_t(1) << h.bits;
        if (colours == 0 || colours > maxColours) colours = maxColours;
        uint64_t at = kFileHeader + infoSize;
        if (at + colours * 4 > h.dataOffset)
            return Status::Corruption("BMP: palette overlaps the pixels");
        for (uint64_t i = 0; i < colours; ++i, at += 4)
            h.palette.push_back(uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 1]) << 8 | b[at]);
        h.palette.resize(maxColours, 0);  // indexes past the used colours read as black
    }
    return Status::OK();
}

uint32_t pixelAt(std::span<const uint8_t> row, const Header& h, int64_t x) {
    switch (h.bits) {
        case 32:
        case 24: {
            size_t at = size_t(x * (h.bits / 8));
            return uint32_t(row[at + 2]) << 16 | uint32_t(row[at + 1]) << 8 | row[at];
        }
        case 8:
            return h.palette[row[size_t(x)]];
        case 4:
            return h.palette[(row[size_t(x / 2)] >> (x % 2 ? 0 : 4)) & 15];
        default:
            return h.palette[(row[size_t(x / 8)] >> (7 - x % 8)) & 1];
    }
}

}  // namespace

Status decodeBmp(std::span<const uint8_t> bytes, Picture& out) {
    out = Picture();
    Header h;
    RETURN_IF_ERROR(readHeader(bytes, h));
    Picture p(int(h.width), int(h.height));
    for (int64_t y = 0; y < h.height; ++y) {
        int64_t fileRow = h.topDown ? y : h.height - 1 - y;
        auto row =
            bytes.subspan(size_t(h.dataOffset + uint64_t(fileRow) * h.stride), size_t(h.stride));
        for (int64_t x = 0; x < h.width; ++x)
            p.pixels[size_t(y * h.width + x)] = pixelAt(row, h, x);
    }
    out = std::move(p);
    return Status::OK();
}

namespace {

// File and information headers of an uncompressed bottom-up file with `paletteEntries`
// colours between the headers and the pixels, 2835 pixels per metre.
void putHeaders(std::vector<uint8_t>& o, const Picture& p, int bits, uint32_t paletteEntries,
                uint32_t dataSize) {
    uint32_t offset = 54 + paletteEntries * 4;
    o.push_back('B');
    o.push_back('M');
    put32(o, offset + dataSize);
    put32(o, 0);
    put32(o, offset);
    put32(o, 40);
    put32(o, uint32_t(p.width));
    put32(o, uint32_t(p.height));
    put16(o, 1);
    put16(o, uint32_t(bits));
    put32(o, 0);
    put32(o, dataSize);
    put32(o, 2835);
    put32(o, 2835);
    put32(o, 0);  // every palette entry counts
    put32(o, 0);
}

uint32_t strideOf(int width, int bits) {
    return (uint32_t(width) * uint32_t(bits) + 31) / 32 * 4;
}

}  // namespace

std::vector<uint8_t> encodeBmp24(const Picture& picture) {
    uint32_t stride = strideOf(picture.width, 24);
    uint32_t dataSize = stride * uint32_t(picture.height);
    std::vector<uint8_t> o;
    o.reserve(54 + dataSize);
    putHeaders(o, picture, 24, 0, dataSize);
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            uint32_t w = picture.pixels[size_t(y) * picture.width + x];
            o.push_back(uint8_t(w));
            o.push_back(uint8_t(w >> 8));
            o.push_back(uint8_t(w >> 16));
        }
        o.resize(o.size() + (stride - uint32_t(picture.width) * 3), 0);
    }
    return o;
}

Status encodeBmpIndexed(const Picture& picture, int bits, std::vector<uint8_t>& out) {
    out.clear();
    if (bits != 4 && bits != 8)
        return Status::InvalidArgument("BMP: no palette encoding for " + std::to_string(bits) +
                                       " bits per pixel");
    if (picture.empty() || picture.pixels.size() != size_t(picture.width) * picture.height)
        return Status::InvalidArgument("BMP: empty picture");
    const uint32_t entries = 1u << bits;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> index(picture.pixels.size());
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        uint32_t w = picture.pixels[i] & 0xFFFFFF;
        size_t k = 0;
        while (k < palette.size() && palette[k] != w) ++k;
        if (k == palette.size()) {
            if (palette.size() == entries)
                return Status::InvalidArgument("BMP: the picture has more than " +
                                               std::to_string(entries) + " colours");
            palette.push_back(w);
        }
        index[i] = uint8_t(k);
    }
    palette.resize(entries, 0);
    uint32_t stride = strideOf(picture.width, bits);
    uint32_t dataSize = stride * uint32_t(picture.height);
    out.reserve(54 + entries * 4 + dataSize);
    putHeaders(out, picture, bits, entries, dataSize);
    for (uint32_t w : palette) put32(out, w);  // blue, green, red, 0
    for (int y = picture.height - 1; y >= 0; --y) {
        size_t rowStart = out.size();
        out.resize(rowStart + stride, 0);
        for (int x = 0; x < picture.width; ++x) {
            uint8_t k = index[size_t(y) * picture.width + x];
            if (bits == 8)
                out[rowStart + size_t(x)] = k;
            else
                out[rowStart + size_t(x / 2)] |= uint8_t(x % 2 ? k : k << 4);
        }
    }
    return Status::OK();
}

std::vector<uint8_t> bmpAlpha(std::span<const uint8_t> bytes) {
    Header h;
    if (!readHeader(bytes, h).ok() || h.bits != 32) return {};
    std::vector<uint8_t> alpha(size_t(h.width * h.height));
    bool any = false;
    for (int64_t y = 0; y < h.height; ++y) {
        int64_t fileRow = h.topDown ? y : h.height - 1 - y;
        size_t rowAt = size_t(h.dataOffset + uint64_t(fileRow) * h.stride);
        for (int64_t x = 0; x < h.width; ++x) {
            uint8_t a = bytes[rowAt + size_t(x) * 4 + 3];
            alpha[size_t(y * h.width + x)] = a;
            any = any || a != 0;
        }
    }
    if (!any) alpha.clear();
    return alpha;
}
