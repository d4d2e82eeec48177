#include "uDbfOem.h"

#include "dbfCodePage.h"

namespace {

// Length of the UTF-8 sequence starting at text[i]; 1 for a byte that starts none.
size_t sequenceLength(std::string_view text, size_t i) {
    unsigned char lead = text[i];
    size_t n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return i + n <= text.size() ? n : 1;
}

// Each character that `from` has a byte for becomes the character `to` reads that byte as;
// the others go to `missing`, which decides whether they stay (true) or stop the work.
template <class Missing>
bool reinterpret(std::string_view text, int from, int to, std::string* out, Missing missing) {
    const dbf::CodePage* source = dbf::CodePage::byNumber(from);
    const dbf::CodePage* target = dbf::CodePage::byNumber(to);
    out->clear();
    out->reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            out->push_back(text[i++]);
            continue;
        }
        std::string_view ch = text.substr(i, sequenceLength(text, i));
        i += ch.size();
        std::string byte;
        if (source->fromUtf8(ch, &byte).ok() && byte.size() == 1) {
            out->append(target->toUtf8(byte));
        } else if (missing(ch)) {
            out->append(ch);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string oemToAnsi(std::string_view text) {
    std::string out;
    reinterpret(text, 1252, 850, &out, [](std::string_view) { return true; });
    return out;
}

bool ansiToOem(std::string_view text, std::string* out, std::string* bad) {
    return reinterpret(text, 850, 1252, out, [bad](std::string_view ch) {
        *bad = std::string(ch);
        return false;
    });
}
