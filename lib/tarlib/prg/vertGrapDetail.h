#pragma once
// Small helpers shared by the graph window's settings, value editing and printing.
#include <string>
#include <vector>

#include "Text.h"

class TControl;
class TDialog;
class TGet;

namespace vertgrap {

// `s` with blanks added up to `chars` characters; a longer text is kept whole.
inline std::string padTo(const std::string& s, size_t chars) {
    size_t n = text::length(s);
    return n >= chars ? s : s + std::string(chars - n, ' ');
}
inline std::string trim(const std::string& s) {
    return text::rtrim(text::ltrim(s));
}

// A value as the value list shows it: "9,999,999.99".
std::string moneyText(double n);

// The entry field a dialog template made for `id`, its value replaced and shown; nullptr
// when the template has none.
TGet* templateField(TDialog& dialog, int id);
TGet* templateField(TDialog& dialog, int id, const class Value& value);
// Writes every field of the dialog to its value and checks it; false, with the focus on
// the first field refused, when one is not valid.
bool acceptFields(TDialog& dialog);
void enableAll(const std::vector<TControl*>& controls, bool on);

}  // namespace vertgrap
