#pragma once
// BMP files in memory: decoding the uncompressed kinds (1, 4, 8, 24 and 32 bits per pixel,
// bottom-up or top-down) into a Picture, and encoding a Picture as a 24-bit BMP file.
// Bytes come from resources, from the application's image tables and from files, so the
// decoder checks every size and offset against the buffer and caps the dimensions.
#include <cstdint>
#include <span>
#include <vector>

#include "Picture.h"
#include "Status.h"

// Largest width or height accepted, and largest pixel count.
constexpr int kBmpMaxSide = 16384;
constexpr int64_t kBmpMaxPixels = 32 * 1024 * 1024;

// Decodes a complete BMP file (file header included). On failure `out` is left empty.
Status decodeBmp(std::span<const uint8_t> bytes, Picture& out);

// A complete 24-bit uncompressed BMP file, bottom-up, 2835 pixels per metre.
std::vector<uint8_t> encodeBmp24(const Picture& picture);
