#include "getMask.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}
// Letters of the Latin-1 range count, so "Ñ" and "á" are letters.
bool isLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') ||
           (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) || c > 0xFF;
}
char32_t upperOf(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
}
// The letters a logical field takes: T, Y and S (sí) for true, F and N for false.
bool isTrueLetter(char32_t c) {
    c = upperOf(c);
    return c == U'T' || c == U'Y' || c == U'S';
}
bool isFalseLetter(char32_t c) {
    c = upperOf(c);
    return c == U'F' || c == U'N';
}

}  // namespace

std::u32string toU32(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = s[i];
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        size_t j = i + 1;
        for (; j < s.size() && j <= i + size_t(extra); ++j) c = (c << 6) | (s[j] & 0x3F);
        out.push_back(c);
        i = j;
    }
    return out;
}

std::string toUtf8(std::u32string_view s) {
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

GetPicture GetPicture::parse(std::string_view picture) {
    GetPicture pic;
    std::u32string p = toU32(picture);
    size_t start = 0;
    if (!p.empty() && p[0] == U'@') {
        size_t i = 1;
        for (; i < p.size() && p[i] != U' '; ++i) {
            switch (upperOf(p[i])) {
                case U'!': pic.upper = true; break;
                case U'Z': pic.blankZero = true; break;
                case U'E': pic.european = true; break;
                case U'X': pic.anyChar = true; break;
                default:
                    throw std::invalid_argument("entry picture \"" + std::string(picture) +
                                                "\": unknown flag '" + toUtf8(p.substr(i, 1)) + "'");
            }
        }
        start = i < p.size() ? i + 1 : i;
    }
    pic.mask = p.substr(start);
    return pic;
}

namespace {

bool digitSlot(char32_t m) {
    return m == U'9' || m == U'#';
}

// The fewest decimals (at most 6) that show `n` as it is.
int decimalsOf(double n) {
    for (int d = 0; d < 6; ++d) {
        double scaled = n * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * std::max(1.0, std::fabs(scaled))) return d;
    }
    return 6;
}

// The template of a number given without one: its own width and decimals. A number that
// does not know them gets at least ten places, room for its whole part and sign, and the
// decimals it has.
std::u32string numberMask(const Value& v) {
    bool known = v.numWidth() > 0;
    int width = known ? v.numWidth() : 10;
    int decimals = known ? std::max(v.numDecimals(), 0) : decimalsOf(v.num());
    int whole = std::max(width - decimals - (decimals > 0 ? 1 : 0), 1);
    if (!known && std::isfinite(v.num())) {
        char digits[400];
        int n = std::snprintf(digits, sizeof digits, "%.0f", std::fabs(v.num()));
        whole = std::max(whole, n + 1);
    }
    std::u32string m(size_t(whole), U'9');
    if (decimals > 0) m += U'.' + std::u32string(size_t(decimals), U'9');
    return m;
}

// European pictures show the roles of "," and "." swapped.
char32_t localSeparator(char32_t c, bool european) {
    if (!european) return c;
    return c == U'.' ? U',' : c == U',' ? U'.' : c;
}

std::u32string formatMask(double n, const std::u32string& mask, bool european) {
    if (!std::isfinite(n)) return std::u32string(mask.size(), U'*');
    size_t point = mask.find(U'.');
    size_t decimals = 0;
    for (size_t i = point == std::u32string::npos ? mask.size() : point + 1; i < mask.size(); ++i)
        if (digitSlot(mask[i])) ++decimals;
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", int(decimals), std::fabs(n));
    std::string digits(text);
    std::string whole = digits.substr(0, digits.find('.'));
    std::string frac = decimals ? digits.substr(digits.find('.') + 1) : "";
    bool negative = n < 0 && std::stod(digits) != 0;

    std::u32string out(mask.size(), U' ');
    size_t intEnd = point == std::u32string::npos ? mask.size() : point;
    int next = int(whole.size()) - 1;
    int firstDigit = int(intEnd);
    for (int i = int(intEnd) - 1; i >= 0; --i) {
        char32_t m = mask[size_t(i)];
        if (digitSlot(m)) {
            if (next >= 0) out[size_t(i)] = char32_t(whole[size_t(next--)]), firstDigit = i;
        } else if (m == U',') {
            out[size_t(i)] = next >= 0 ? localSeparator(U',', european) : U' ';
        } else {
            out[size_t(i)] = m;
        }
    }
    if (next >= 0) return std::u32string(mask.size(), U'*');  // does not fit
    // The sign stands right before the first digit, in a free digit or separator place.
    if (negative) {
        int at = firstDigit - 1;
        if (at < 0 || !(digitSlot(mask[size_t(at)]) || mask[size_t(at)] == U',')) return std::u32string(mask.size(), U'*');
        out[size_t(at)] = U'-';
    }
    size_t f = 0;
    for (size_t i = intEnd; i < mask.size(); ++i) {
        if (i == point) out[i] = localSeparator(U'.', european);
        else if (digitSlot(mask[i])) out[i] = f < frac.size() ? char32_t(frac[f++]) : U'0';
        else out[i] = mask[i];
    }
    return out;
}

}  // namespace

std::string formatNumber(double n, const GetPicture& pic) {
    std::u32string mask = pic.mask.empty() ? numberMask(Value(n)) : pic.mask;
    if (pic.blankZero && n == 0) return std::string(mask.size(), ' ');
    return toUtf8(formatMask(n, mask, pic.european));
}

EditBuffer::EditBuffer(const GetPicture& pic, const Value& value) : pic_(pic) {
    if (value.isNumber()) {
        kind_ = Kind::Number;
        mask_ = pic.mask.empty() ? numberMask(value) : pic.mask;
        buf_ = pic.blankZero && value.num() == 0 ? std::u32string(mask_.size(), U' ')
                                                 : formatMask(value.num(), mask_, pic.european);
    } else if (value.isText() || value.isNil()) {
        std::u32string text = toU32(value.text());
        if (pic.mask.empty()) {
            mask_ = std::u32string(text.size(), U'X');
            growing_ = text.empty();
            buf_ = text;
        } else {
            mask_ = pic.mask;
            buf_ = mask_;
            for (size_t i = 0; i < buf_.size(); ++i)
                buf_[i] = !editable(int(i)) ? mask_[i] : i < text.size() ? shown(int(i), text[i]) : U' ';
        }
        if (pic.upper)
            for (auto& c : buf_) c = upperOf(c);
    } else if (value.isDate()) {
        kind_ = Kind::Date;
        mask_ = pic.mask.find(U'9') == std::u32string::npos ? std::u32string(U"99/99/9999") : pic.mask;
        buf_ = mask_;
        Date d = value.date();
        // Day, month and year fill the 9s in that order.
        std::string digits = d.empty() ? std::string(8, ' ')
                                       : std::string(d.dtos().substr(6, 2) + d.dtos().substr(4, 2) + d.dtos().substr(0, 4));
        size_t next = 0;
        for (size_t i = 0; i < buf_.size(); ++i)
            if (editable(int(i))) buf_[i] = next < digits.size() ? char32_t(digits[next++]) : U' ';
    } else if (value.isLogical()) {
        kind_ = Kind::Logical;
        mask_ = upperOf(pic.mask.empty() ? U'L' : pic.mask[0]) == U'Y' ? U"Y" : U"L";
        buf_ = std::u32string(1, shown(0, value.logical() ? U'T' : U'F'));
    } else {
        throw std::invalid_argument(std::string("an entry field edits text, numbers, dates or logicals, not a value of type ") +
                                    value.type());
    }
    caret_ = nextEditable(0);
}

std::string EditBuffer::text() const {
    return toUtf8(buf_);
}

bool EditBuffer::editable(int pos) const {
    if (pos < 0 || pos >= int(mask_.size())) return false;
    char32_t m = upperOf(mask_[size_t(pos)]);
    if (kind_ == Kind::Number) return digitSlot(m);
    if (kind_ == Kind::Date) return m == U'9';
    if (kind_ == Kind::Logical) return true;
    return m == U'9' || m == U'#' || m == U'!' || m == U'A' || m == U'N' || m == U'X';
}

bool EditBuffer::accepts(int pos, char32_t c) const {
    if (kind_ == Kind::Logical) return isTrueLetter(c) || isFalseLetter(c);
    if (c == U' ') return true;
    if (c < 32) return false;
    if (kind_ == Kind::Date) return isDigit(c);
    switch (upperOf(mask_[size_t(pos)])) {
        case U'9': return isDigit(c) || (numeric() && c == U'-');
        case U'#': return isDigit(c) || c == U'-' || c == U'+';
        case U'A': return isLetter(c);
        case U'N': return isLetter(c) || isDigit(c);
        default: return true;
    }
}

char32_t EditBuffer::shown(int pos, char32_t c) const {
    if (kind_ == Kind::Logical) {
        bool yes = isTrueLetter(c);
        return mask_[0] == U'Y' ? (yes ? U'S' : U'N') : (yes ? U'T' : U'F');
    }
    return pic_.upper || mask_[size_t(pos)] == U'!' ? upperOf(c) : c;
}

int EditBuffer::nextEditable(int pos) const {
    for (int i = std::max(pos, 0); i < int(mask_.size()); ++i)
        if (editable(i)) return i;
    return int(mask_.size());
}

int EditBuffer::prevEditable(int pos) const {
    for (int i = pos; i >= 0; --i)
        if (editable(i)) return i;
    return -1;
}

int EditBuffer::decimalPos() const {
    if (!numeric()) return -1;
    size_t p = mask_.find(U'.');
    return p == std::u32string::npos ? -1 : int(p);
}

void EditBuffer::jumpToDecimals() {
    double n = value().num();
    buf_ = formatMask(n, mask_, pic_.european);
    caret_ = nextEditable(decimalPos() + 1);
    // Whole numbers leave the decimals blank, so they can be typed in insert mode.
    if (n == std::trunc(n))
        for (int i = caret_; i < int(buf_.size()); ++i)
            if (editable(i)) buf_[size_t(i)] = U' ';
    changed_ = true;
}

bool EditBuffer::shiftRight(int from) {
    std::vector<int> slots;
    for (int i = from; i < int(mask_.size()); ++i)
        if (editable(i)) slots.push_back(i);
    if (slots.empty() || buf_[size_t(slots.back())] != U' ') return false;  // full: nothing is lost
    for (size_t k = 0; k + 1 < slots.size(); ++k)
        if (!accepts(slots[k + 1], buf_[size_t(slots[k])])) return false;
    for (size_t k = slots.size() - 1; k > 0; --k) buf_[size_t(slots[k])] = buf_[size_t(slots[k - 1])];
    return true;
}

void EditBuffer::shiftLeft(int from) {
    std::vector<int> slots;
    for (int i = from; i < int(mask_.size()); ++i)
        if (editable(i)) slots.push_back(i);
    if (slots.empty()) return;
    bool fits = true;
    for (size_t k = 0; k + 1 < slots.size(); ++k) fits = fits && accepts(slots[k], buf_[size_t(slots[k + 1])]);
    if (fits)
        for (size_t k = 0; k + 1 < slots.size(); ++k) buf_[size_t(slots[k])] = buf_[size_t(slots[k + 1])];
    buf_[size_t(fits ? slots.back() : slots.front())] = U' ';
    changed_ = true;
}

bool EditBuffer::type(char32_t c) {
    if (c < 32) return false;
    int point = decimalPos();
    if (point >= 0 && (c == U'.' || c == localSeparator(U'.', pic_.european))) {
        jumpToDecimals();
        firstKey_ = false;
        return true;
    }
    int pos = caret_;
    if (growing_ && (insertMode || pos == int(mask_.size()))) {
        mask_.push_back(U'X');
        buf_.push_back(U' ');
    }
    if (!editable(pos) || !accepts(pos, c)) return false;
    if (numeric() && firstKey_ && pos == nextEditable(0)) clear();
    firstKey_ = false;
    bool typedOver = kind_ == Kind::Date || kind_ == Kind::Logical;
    if (insertMode && !typedOver && !shiftRight(pos)) return false;
    buf_[size_t(pos)] = shown(pos, c);
    caret_ = nextEditable(pos + 1);
    changed_ = true;
    return true;
}

void EditBuffer::backspace() {
    firstKey_ = false;
    int p = prevEditable(caret_ - 1);
    if (p < 0) return;
    caret_ = p;
    del();
}

void EditBuffer::del() {
    firstKey_ = false;
    if (!editable(caret_)) return;
    if (growing_) {
        buf_.erase(size_t(caret_), 1);
        mask_.erase(size_t(caret_), 1);
        changed_ = true;
        return;
    }
    if (kind_ == Kind::Logical) return;  // always true or false
    if (kind_ == Kind::Date) {
        buf_[size_t(caret_)] = U' ';
        changed_ = true;
        return;
    }
    shiftLeft(caret_);
}

void EditBuffer::left() {
    firstKey_ = false;
    int p = prevEditable(caret_ - 1);
    if (p >= 0) caret_ = p;
}
void EditBuffer::right() {
    firstKey_ = false;
    if (caret_ < int(mask_.size())) caret_ = nextEditable(caret_ + 1);
}
void EditBuffer::home() {
    firstKey_ = false;
    caret_ = nextEditable(0);
}
void EditBuffer::end() {
    firstKey_ = false;
    int last = int(buf_.size()) - 1;
    while (last >= 0 && (!editable(last) || buf_[size_t(last)] == U' ')) --last;
    caret_ = last < 0 ? nextEditable(0) : nextEditable(last + 1);
}
void EditBuffer::setCaret(int pos) {
    firstKey_ = false;
    caret_ = nextEditable(pos);
}

void EditBuffer::restart() {
    caret_ = nextEditable(0);
    firstKey_ = true;
}

void EditBuffer::clear() {
    // A number's separators stay in view while its digits are typed again.
    for (int i = 0; i < int(buf_.size()); ++i)
        buf_[size_t(i)] = editable(i) && kind_ != Kind::Logical ? U' ' : numeric() ? localSeparator(mask_[size_t(i)], pic_.european) : buf_[size_t(i)];
    if (growing_) buf_.clear(), mask_.clear();
    caret_ = nextEditable(0);
    changed_ = true;
}

Date EditBuffer::typedDate() const {
    std::string digits;
    for (int i = 0; i < int(buf_.size()); ++i)
        if (editable(i)) digits.push_back(char(buf_[size_t(i)]));
    if (digits.size() != 8 || digits.find(' ') != std::string::npos) return Date();
    return Date::fromYmd(std::stoi(digits.substr(4, 4)), std::stoi(digits.substr(2, 2)), std::stoi(digits.substr(0, 2)));
}

bool EditBuffer::valid() const {
    if (kind_ != Kind::Date) return true;
    bool blank = true;
    for (int i = 0; i < int(buf_.size()); ++i)
        if (editable(i) && buf_[size_t(i)] != U' ') blank = false;
    return blank || !typedDate().empty();
}

bool EditBuffer::overflow() const {
    return numeric() && buf_.find(U'*') != std::u32string::npos;
}

Value EditBuffer::value() const {
    if (kind_ == Kind::Date) return Value(typedDate());
    if (kind_ == Kind::Logical) return Value(buf_[0] == U'T' || buf_[0] == U'S');
    if (kind_ == Kind::Text) return Value(toUtf8(buf_));
    int point = decimalPos();
    std::string whole, frac;
    bool negative = false;
    for (int i = 0; i < int(buf_.size()); ++i) {
        char32_t c = buf_[size_t(i)];
        if (c == U'-' && mask_[size_t(i)] != U'-') negative = true;  // also in a separator's place
        if (!editable(i)) continue;
        if (isDigit(c)) (point >= 0 && i > point ? frac : whole).push_back(char(c));
    }
    double n = std::stod("0" + whole + "." + frac + "0");
    int decimals = 0;
    for (int i = point + 1; point >= 0 && i < int(mask_.size()); ++i) decimals += editable(i);
    return Value::number(negative ? -n : n, int(mask_.size()), decimals);
}
