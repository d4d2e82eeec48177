// Treats the input as a BMP file: decodes it, and re-encodes and decodes again whatever
// decoded. Nothing may crash or read out of bounds; bad files must be statuses, and a
// decoded picture must survive the round trip unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "bmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Picture p;
    if (!decodeBmp(std::span(data, size), p).ok()) {
        if (!p.empty()) std::abort();
        return 0;
    }
    if (p.pixels.size() != size_t(p.width) * size_t(p.height)) std::abort();
    auto bytes = encodeBmp24(p);
    Picture back;
    if (!decodeBmp(bytes, back).ok() || back.pixels != p.pixels) std::abort();
    return 0;
}
