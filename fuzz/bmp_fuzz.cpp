// Treats the input as a BMP file: decodes it and reads its alpha channel, and re-encodes
// (24-bit, and 4-bit and 8-bit when its colours fit a palette) and decodes again whatever
// decoded. Nothing may crash or read out of bounds; bad files must be statuses, and a
// decoded picture must survive every round trip unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "bmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Picture p;
    auto alpha = bmpAlpha(std::span(data, size));
    if (!decodeBmp(std::span(data, size), p).ok()) {
        if (!p.empty() || !alpha.empty()) std::abort();
        return 0;
    }
    if (p.pixels.size() != size_t(p.width) * size_t(p.height)) std::abort();
    if (!alpha.empty() && alpha.size() != p.pixels.size()) std::abort();
    auto bytes = encodeBmp24(p);
    Picture back;
    if (!decodeBmp(bytes, back).ok() || back.pixels != p.pixels) std::abort();
    for (int bits : {4, 8}) {
        if (!encodeBmpIndexed(p, bits, bytes).ok()) {
            if (!bytes.empty()) std::abort();
            continue;
        }
        if (!decodeBmp(bytes, back).ok() || back.pixels != p.pixels) std::abort();
    }
    return 0;
}
