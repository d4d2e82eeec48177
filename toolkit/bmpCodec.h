#pragma once
// BMP files in memory: decoding the uncompressed kinds (1, 4, 8, 24 and 32 bits per pixel,
// bottom-up or top-down) into a Picture, and encoding a Picture as a 24-bit BMP file or as
// a 4-bit or 8-bit one with a palette of its own colours.
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

// A complete uncompressed BMP file of 4 or 8 bits per pixel, bottom-up: the palette holds
// the picture's colours in order of first appearance (rows from the top), padded with
// black to its full 16 or 256 entries, so a 16 x 16 picture takes 246 or 1334 bytes.
// InvalidArgument, and `out` empty, when the picture has more colours than the palette
// holds, when `bits` is neither 4 nor 8, or when the picture is empty.
Status encodeBmpIndexed(const Picture& picture, int bits, std::vector<uint8_t>& out);

// The alpha bytes (one per pixel, rows from the top) of a 32-bit BMP file whose fourth
// bytes are not all zero; empty for any other file, sound or not. A 32-bit file whose
// fourth bytes are all zero is opaque, as the windowing systems read it.
std::vector<uint8_t> bmpAlpha(std::span<const uint8_t> bytes);
