#include "Resources.h"

#include <map>

#include "Error.h"
#include "Text.h"
#include "bmpCodec.h"

namespace {

std::map<std::string, std::span<const uint8_t>>& registry() {
    static std::map<std::string, std::span<const uint8_t>> r;
    return r;
}

std::map<std::string, std::span<const uint8_t>>& dialogRegistry() {
    static std::map<std::string, std::span<const uint8_t>> r;
    return r;
}

struct Handles {
    std::map<int, Picture> pictures;
    int next = 1;
};
Handles& handles() {
    static Handles h;
    return h;
}

void raiseToolkitError(int genCode, const std::string& description, const std::string& what) {
    ErrorRecord r = makeError(genCode, 0, "TOOLKIT", "");
    r.description = description;
    r.fileName = what;
    r.canDefault = true;
    raiseError(r);
}

}  // namespace

void registerResource(const std::string& name, std::span<const uint8_t> bytes) {
    registry()[text::lower(name)] = bytes;
}

std::span<const uint8_t> resourceBytes(const std::string& name) {
    auto it = registry().find(text::lower(name));
    return it == registry().end() ? std::span<const uint8_t>() : it->second;
}

Picture resourcePicture(const std::string& name) {
    auto bytes = resourceBytes(name);
    if (bytes.empty()) {
        raiseToolkitError(EG_OPEN, "Resource not found", name);
        return Picture();
    }
    return pictureFromBmp(bytes, name);
}

Picture pictureFromBmp(std::span<const uint8_t> bytes, const std::string& what) {
    Picture p;
    Status s = decodeBmp(bytes, p);
    if (!s.ok()) raiseToolkitError(EG_CORRUPTION, s.message(), what);
    return p;
}

void registerDialogResource(const std::string& name, std::span<const uint8_t> text) {
    dialogRegistry()[text::lower(name)] = text;
}

bool dialogTemplate(const std::string& name, DialogTemplate& out) {
    auto it = dialogRegistry().find(text::lower(name));
    if (it == dialogRegistry().end()) {
        raiseToolkitError(EG_OPEN, "Dialog template not found", name);
        return false;
    }
    std::string_view text(reinterpret_cast<const char*>(it->second.data()), it->second.size());
    Status s = parseDialogTemplate(text, out);
    if (!s.ok()) raiseToolkitError(EG_CORRUPTION, "Bad dialog template: " + s.message(), name);
    return s.ok();
}

int CreateMemBitmap(std::span<const uint8_t> bmpBytes) {
    Picture p = pictureFromBmp(bmpBytes, "memory bitmap");
    if (p.empty()) return 0;
    Handles& h = handles();
    int id = h.next++;
    h.pictures.emplace(id, std::move(p));
    return id;
}

int CreateMemBitmap(const std::string& bmpBytes) {
    return CreateMemBitmap(
        std::span(reinterpret_cast<const uint8_t*>(bmpBytes.data()), bmpBytes.size()));
}

const Picture* memBitmap(int handle) {
    auto it = handles().pictures.find(handle);
    return it == handles().pictures.end() ? nullptr : &it->second;
}

bool DeleteMemBitmap(int handle) {
    return handles().pictures.erase(handle) > 0;
}
