#include "extDefau.h"

#include "Text.h"

namespace {
std::string trimmed(const std::string& s) {
    return text::rtrim(text::ltrim(s));
}
}  // namespace

std::string EXTDEFAULT(const Value& file, const Value& extension) {
    std::string name = file.isText() ? trimmed(file.text()) : "";
    std::string ext = ".";
    if (extension.isText()) {
        ext = trimmed(extension.text());
        if (ext.empty() || ext[0] != '.') ext = "." + ext;
    }
    size_t base = name.find_last_of("/\\");
    base = base == std::string::npos ? 0 : base + 1;
    bool hasExtension = name.find('.', base) != std::string::npos;
    return hasExtension ? name : name + ext;
}
