// Treats the input as a dialog template: parses it, and writes back and parses again
// whatever parsed. Nothing may crash or read out of bounds; a bad template must be a
// status and leave the output empty, and a parsed one must survive the round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dlgTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    DialogTemplate t;
    if (!parseDialogTemplate(text, t).ok()) {
        if (!(t == DialogTemplate{})) std::abort();
        return 0;
    }
    if (t.width < 1 || t.height < 1) std::abort();
    DialogTemplate back;
    if (!parseDialogTemplate(formatDialogTemplate(t), back).ok() || !(back == t)) std::abort();
    return 0;
}
