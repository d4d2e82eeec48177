#include "bmp_es.h"

#include "Resources.h"
#include "embeddedResources.h"

namespace {

// The logos embedded from resources/, in the order of the party list.
constexpr const char* kLogoNames[] = {
    "logo_psoe",   "logo_iu",    "logo_lv",  "logo_pa",  "logo_psc", "logo_pp",  "logo_cc",
    "logo_fe",     "logo_dn",    "logo_erc", "logo_icv", "logo_bng", "logo_psa", "logo_ciu",
    "logo_upn",    "logo_e2000", "logo_ea",  "logo_pnv", "logo_anv", "logo_cdc", "logo_cha",
    "logo_aralar", "logo_pas",   "logo_par", "logo_eu",  "logo_aa",  "logo_uv",  "logo_bloc",
    "logo_cdn",    "logo_env",   "logo_phc", "logo_cnc", "logo_pr",  "logo_psm", "logo_um",
};

bool isLogoName(const std::string& name) {
    for (const char* logo : kLogoNames)
        if (name == logo) return true;
    return false;
}

std::span<const uint8_t> textBytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

Value imageForWindow(std::span<const uint8_t> bytes, const TWindowBase* window) {
    if (window) return Value(CreateMemBitmap(bytes));
    return Value(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Value BITMAPSLOGOS(const std::string& name, const TWindowBase* window) {
    registerEmbeddedResources();
    // The resource registry ignores case, so the exact comparison happens here first.
    if (!isLogoName(name)) return window ? imageForWindow(textBytes(name), window) : Value(name);
    return imageForWindow(resourceBytes(name), window);
}
