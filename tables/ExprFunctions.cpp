#include "ExprFunctions.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

#include "ExprLexer.h"
#include "ExprNode.h"
#include "Text.h"

// ---------------------------------------------------------------------------------------------
// Shared helpers

void raiseExprError(int genCode, int subCode, std::string_view operation) {
    throwError(makeError(genCode, subCode, "BASE", std::string(operation)));
}

std::string& mutableText(Value& v) {
    if (!v.isText()) v = Value(std::string());
    // Value has no mutable text accessor; `v` is not const, so writing through is sound.
    return const_cast<std::string&>(v.text());
}

std::string formatExprNumber(double n, int width, int decimals) {
    decimals = std::clamp(decimals, 0, 64);
    if (!std::isfinite(n)) return std::string(size_t(std::max(width, 1)), '*');
    if (decimals <= kMaxExprDecimals) {
        double scale = std::pow(10.0, decimals);
        if (std::fabs(n * scale) < 1e15) n = std::round(n * scale) / scale;
    }
    if (decimals == 0 && std::fabs(n) < 1e15) {
        // Whole numbers (keys such as strZero(casilla,4)) without the cost of printf.
        char digits[24];
        char* end = digits + sizeof digits;
        char* p = end;
        int64_t v = int64_t(std::fabs(n));
        do {
            *--p = char('0' + v % 10);
            v /= 10;
        } while (v);
        if (n < 0) *--p = '-';
        size_t len = size_t(end - p);
        if (width <= 0) return std::string(p, len);
        if (len > size_t(width)) return std::string(size_t(width), '*');
        std::string out(size_t(width) - len, ' ');
        out.append(p, len);
        return out;
    }
    char small[128];
    int len = std::snprintf(small, sizeof small, "%.*f", decimals, n);
    if (len < 0) return std::string(size_t(std::max(width, 1)), '*');
    std::string s;
    if (size_t(len) < sizeof small) {
        s.assign(small, size_t(len));
    } else {
        std::vector<char> big(size_t(len) + 1);
        std::snprintf(big.data(), big.size(), "%.*f", decimals, n);
        s.assign(big.data(), size_t(len));
    }
    if (s[0] == '-' && s.find_first_not_of("0.", 1) == std::string::npos) s.erase(0, 1);
    if (width <= 0) return s;
    if (s.size() > size_t(width)) return std::string(size_t(width), '*');
    s.insert(0, size_t(width) - s.size(), ' ');
    return s;
}

std::string& FnArgs::text(size_t i) {
    if (i >= args_.size() || !args_[i].isText()) fail();
    return mutableText(args_[i]);
}

double FnArgs::num(size_t i) {
    if (i >= args_.size() || !args_[i].isNumber()) fail();
    return args_[i].num();
}

int64_t FnArgs::count(size_t i) {
    double v = num(i);
    if (std::isnan(v)) return 0;
    return int64_t(std::clamp(v, -1e15, 1e15));
}

Date FnArgs::date(size_t i) {
    if (i >= args_.size() || !args_[i].isDate()) fail();
    return args_[i].date();
}

void FnArgs::fail() const {
    raiseExprError(EG_ARG, 1099, fn_.name);
}

void FnArgs::checkSize(uint64_t bytes) const {
    if (bytes > kMaxExprText) raiseExprError(EG_STROVERFLOW, 1099, fn_.name);
}

namespace {

Value wholeNumber(double n) {
    return Value::number(n, -1, 0);
}

void appendRepeated(std::string& out, std::string_view unit, size_t times) {
    out.reserve(out.size() + unit.size() * times);
    for (size_t i = 0; i < times; ++i) out += unit;
}

// The first character of `fill`, a blank when it is empty or not given.
std::string_view fillChar(FnArgs& a, size_t i) {
    if (!a.given(i)) return " ";
    const std::string& f = a.text(i);
    if (f.empty()) return " ";
    return std::string_view(f).substr(0, text::byteOffset(f, 1));
}

// Pads or cuts a text to `width` characters; `leftShare` of the padding goes before it.
Value pad(FnArgs& a, double leftShare) {
    std::string& s = a.text(0);
    int64_t width = a.count(1);
    std::string_view fill = fillChar(a, 2);
    if (width <= 0) return Value(std::string());
    size_t len = text::length(s);
    if (len >= uint64_t(width)) {
        s.resize(text::byteOffset(s, size_t(width)));
        return Value(std::move(s));
    }
    size_t missing = size_t(width) - len;
    a.checkSize(s.size() + uint64_t(missing) * fill.size());
    size_t before = size_t(double(missing) * leftShare);
    std::string out;
    appendRepeated(out, fill, before);
    out += s;
    appendRepeated(out, fill, missing - before);
    return Value(std::move(out));
}

// str()'s width and decimals, from its arguments or from the number's hints.
std::string strText(FnArgs& a) {
    double n = a.num(0);
    int64_t width, dec;
    if (a.given(2))
        dec = a.count(2);
    else if (a.given(1))
        dec = 0;
    else if (a[0].numDecimals() >= 0)
        dec = a[0].numDecimals();
    else
        dec = std::nearbyint(n) == n ? 0 : 2;
    dec = std::clamp<int64_t>(dec, 0, 64);
    if (a.given(1))
        width = a.count(1);
    else if (a[0].numWidth() > 0)
        width = a[0].numWidth();
    else
        width = 10 + (dec > 0 ? dec + 1 : 0);
    if (width < 1) a.fail();
    a.checkSize(uint64_t(width));
    return formatExprNumber(n, int(width), int(dec));
}

Value fnStr(FnArgs& a) {
    return Value(strText(a));
}

Value fnStrZero(FnArgs& a) {
    std::string s = strText(a);
    if (s[0] == '*') return Value(std::move(s));
    size_t minus = s.find('-');
    for (char& c : s)
        if (c == ' ') c = '0';
    if (minus != std::string::npos && minus > 0) {
        s[minus] = '0';
        s[0] = '-';
    }
    return Value(std::move(s));
}

Value fnLeft(FnArgs& a) {
    std::string& s = a.text(0);
    int64_t n = a.count(1);
    s.resize(n <= 0 ? 0 : text::byteOffset(s, size_t(n)));
    return Value(std::move(s));
}

Value fnRight(FnArgs& a) {
    std::string& s = a.text(0);
    int64_t n = a.count(1);
    size_t len = text::length(s);
    if (n <= 0) return Value(std::string());
    if (uint64_t(n) < len) s.erase(0, text::byteOffset(s, len - size_t(n)));
    return Value(std::move(s));
}

Value fnSubStr(FnArgs& a) {
    std::string& s = a.text(0);
    int64_t start = a.count(1);
    int64_t len = int64_t(text::length(s));
    if (start < 0) start += len + 1;
    start = std::max<int64_t>(start, 1);
    int64_t count = a.given(2) ? a.count(2) : len;
    if (start > len || count <= 0) return Value(std::string());
    count = std::min(count, len - start + 1);
    size_t from = text::byteOffset(s, size_t(start - 1));
    size_t bytes = text::byteOffset(std::string_view(s).substr(from), size_t(count));
    s.erase(from + bytes);
    s.erase(0, from);
    return Value(std::move(s));
}

Value fnUpper(FnArgs& a) {
    return Value(text::upper(a.text(0)));
}
Value fnLower(FnArgs& a) {
    return Value(text::lower(a.text(0)));
}

Value fnRTrim(FnArgs& a) {
    std::string& s = a.text(0);
    s.erase(s.find_last_not_of(' ') + 1);
    return Value(std::move(s));
}

Value fnLTrim(FnArgs& a) {
    std::string& s = a.text(0);
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    return Value(std::move(s));
}

Value fnAllTrim(FnArgs& a) {
    std::string& s = a.text(0);
    s.erase(s.find_last_not_of(' ') + 1);
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    return Value(std::move(s));
}

Value fnLen(FnArgs& a) {
    if (a.given(0) && a[0].isArray() && a[0].array())
        return wholeNumber(double(a[0].array()->size()));
    return wholeNumber(double(text::length(a.text(0))));
}

Value fnEmpty(FnArgs& a) {
    return Value(a[0].isEmptyValue());
}

Value fnVal(FnArgs& a) {
    std::string_view s = a.text(0);
    size_t i = s.find_first_not_of(" \t");
    if (i == std::string_view::npos) return wholeNumber(0);
    bool negative = false;
    if (s[i] == '-' || s[i] == '+') negative = s[i++] == '-';
    size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    size_t whole = i - start;
    int decimals = 0;
    if (i < s.size() && s[i] == '.') {
        size_t point = i++;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        decimals = int(i - point - 1);
    }
    if (whole == 0 && decimals == 0) return wholeNumber(0);
    std::string_view digits = s.substr(start, i - start);
    if (decimals == 0 && digits.back() == '.') digits.remove_suffix(1);
    double v = parseExprDigits(digits);
    return Value::number(negative ? -v : v, -1, std::min(decimals, kMaxExprDecimals));
}

Value fnDtos(FnArgs& a) {
    return Value(a.date(0).dtos());
}
Value fnStod(FnArgs& a) {
    return Value(Date::fromDtos(a.text(0)));
}

Value fnIif(const ExprNode& call, ExprHost& host) {
    Value c = evalExprNode(call.child(0), host);
    if (!c.isLogical()) raiseExprError(EG_ARG, 1099, call.function()->name);
    return evalExprNode(call.child(c.logical() ? 1 : 2), host);
}

Value fnSpace(FnArgs& a) {
    int64_t n = std::max<int64_t>(a.count(0), 0);
    a.checkSize(uint64_t(n));
    return Value(std::string(size_t(n), ' '));
}

Value fnReplicate(FnArgs& a) {
    const std::string& s = a.text(0);
    int64_t n = std::max<int64_t>(a.count(1), 0);
    if (s.empty() || n == 0) return Value(std::string());
    if (uint64_t(n) > kMaxExprText) a.checkSize(uint64_t(n));
    a.checkSize(uint64_t(n) * s.size());
    std::string out;
    appendRepeated(out, s, size_t(n));
    return Value(std::move(out));
}

Value fnPadR(FnArgs& a) {
    return pad(a, 0.0);
}
Value fnPadL(FnArgs& a) {
    return pad(a, 1.0);
}
Value fnPadC(FnArgs& a) {
    return pad(a, 0.5);
}

Value fnAt(FnArgs& a) {
    const std::string& needle = a.text(0);
    const std::string& hay = a.text(1);
    if (needle.empty()) return wholeNumber(0);
    size_t at = hay.find(needle);
    if (at == std::string::npos) return wholeNumber(0);
    return wholeNumber(double(text::length(std::string_view(hay).substr(0, at)) + 1));
}

// chr() of a code point, as UTF-8.
Value fnChr(FnArgs& a) {
    int64_t c = a.count(0);
    if (c < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) a.fail();
    return Value(text::fromCodePoint(char32_t(c)));
}

// Code point of the first character; a byte that starts no valid sequence stands for itself.
Value fnAsc(FnArgs& a) {
    const std::string& s = a.text(0);
    if (s.empty()) return wholeNumber(0);
    auto byte = [&](size_t i) { return i < s.size() ? (unsigned char)s[i] : 0u; };
    unsigned b0 = byte(0);
    int extra = b0 >= 0xF0 && b0 < 0xF8 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
    if (b0 >= 0xF8) extra = 0;
    unsigned cp = extra == 0 ? b0 : b0 & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned b = byte(size_t(k));
        if ((b & 0xC0) != 0x80) return wholeNumber(b0);
        cp = (cp << 6) | (b & 0x3F);
    }
    return wholeNumber(cp);
}

Value fnInt(FnArgs& a) {
    return wholeNumber(std::trunc(a.num(0)));
}

Value fnRound(FnArgs& a) {
    double n = a.num(0);
    int dec = int(std::clamp<int64_t>(a.count(1), -kMaxExprDecimals, kMaxExprDecimals));
    double scale = std::pow(10.0, dec);
    double r = std::isfinite(n * scale) ? std::round(n * scale) / scale : n;
    return Value::number(r, -1, std::max(dec, 0));
}

Value fnAbs(FnArgs& a) {
    double n = a.num(0);
    return Value::number(std::fabs(n), a[0].numWidth(), a[0].numDecimals());
}

Value pick(FnArgs& a, bool wantMax) {
    bool secondBigger = false;
    if (a[0].isNumber() && a[1].isNumber())
        secondBigger = a[1].num() > a[0].num();
    else if (a[0].isDate() && a[1].isDate())
        secondBigger = a[1].date() > a[0].date();
    else
        a.fail();
    return std::move(a[secondBigger == wantMax ? 1 : 0]);
}
Value fnMax(FnArgs& a) {
    return pick(a, true);
}
Value fnMin(FnArgs& a) {
    return pick(a, false);
}

Value fnYear(FnArgs& a) {
    return wholeNumber(a.date(0).year());
}
Value fnMonth(FnArgs& a) {
    return wholeNumber(a.date(0).month());
}
Value fnDay(FnArgs& a) {
    return wholeNumber(a.date(0).day());
}

Value fnDate(FnArgs&) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return Value(Date::fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
}

Value fnDeleted(FnArgs& a) {
    return Value(a.host().deleted());
}
Value fnRecNo(FnArgs& a) {
    return wholeNumber(a.host().recNo());
}
Value fnLastRec(FnArgs& a) {
    return wholeNumber(a.host().lastRec());
}
Value fnEof(FnArgs& a) {
    return Value(a.host().eof());
}
Value fnBof(FnArgs& a) {
    return Value(a.host().bof());
}
Value fnFound(FnArgs& a) {
    return Value(a.host().found());
}
Value fnAlias(FnArgs& a) {
    return Value(a.host().alias());
}

constexpr ExprFunction kFunctions[] = {
    {"STRZERO", 2, 3, fnStrZero, nullptr, FnDep::None},
    {"STR", 1, 3, fnStr, nullptr, FnDep::None},
    {"LEFT", 2, 2, fnLeft, nullptr, FnDep::None},
    {"RIGHT", 2, 2, fnRight, nullptr, FnDep::None},
    {"SUBSTR", 2, 3, fnSubStr, nullptr, FnDep::None},
    {"UPPER", 1, 1, fnUpper, nullptr, FnDep::None},
    {"LOWER", 1, 1, fnLower, nullptr, FnDep::None},
    {"TRIM", 1, 1, fnRTrim, nullptr, FnDep::None},
    {"RTRIM", 1, 1, fnRTrim, nullptr, FnDep::None},
    {"LTRIM", 1, 1, fnLTrim, nullptr, FnDep::None},
    {"ALLTRIM", 1, 1, fnAllTrim, nullptr, FnDep::None},
    {"LEN", 1, 1, fnLen, nullptr, FnDep::None},
    {"EMPTY", 1, 1, fnEmpty, nullptr, FnDep::None},
    {"VAL", 1, 1, fnVal, nullptr, FnDep::None},
    {"DTOS", 1, 1, fnDtos, nullptr, FnDep::None},
    {"STOD", 1, 1, fnStod, nullptr, FnDep::None},
    {"IIF", 3, 3, nullptr, fnIif, FnDep::None},
    {"IF", 3, 3, nullptr, fnIif, FnDep::None},
    {"SPACE", 1, 1, fnSpace, nullptr, FnDep::None},
    {"REPLICATE", 2, 2, fnReplicate, nullptr, FnDep::None},
    {"PADR", 2, 3, fnPadR, nullptr, FnDep::None},
    {"PADL", 2, 3, fnPadL, nullptr, FnDep::None},
    {"PADC", 2, 3, fnPadC, nullptr, FnDep::None},
    {"AT", 2, 2, fnAt, nullptr, FnDep::None},
    {"CHR", 1, 1, fnChr, nullptr, FnDep::None},
    {"ASC", 1, 1, fnAsc, nullptr, FnDep::None},
    {"INT", 1, 1, fnInt, nullptr, FnDep::None},
    {"ROUND", 2, 2, fnRound, nullptr, FnDep::None},
    {"ABS", 1, 1, fnAbs, nullptr, FnDep::None},
    {"MAX", 2, 2, fnMax, nullptr, FnDep::None},
    {"MIN", 2, 2, fnMin, nullptr, FnDep::None},
    {"YEAR", 1, 1, fnYear, nullptr, FnDep::None},
    {"MONTH", 1, 1, fnMonth, nullptr, FnDep::None},
    {"DAY", 1, 1, fnDay, nullptr, FnDep::None},
    {"DATE", 0, 0, fnDate, nullptr, FnDep::Other},
    {"DELETED", 0, 0, fnDeleted, nullptr, FnDep::Deleted},
    {"RECNO", 0, 0, fnRecNo, nullptr, FnDep::RecNo},
    {"LASTREC", 0, 0, fnLastRec, nullptr, FnDep::RecNo},
    {"EOF", 0, 0, fnEof, nullptr, FnDep::RecNo},
    {"BOF", 0, 0, fnBof, nullptr, FnDep::RecNo},
    {"FOUND", 0, 0, fnFound, nullptr, FnDep::RecNo},
    {"ALIAS", 0, 0, fnAlias, nullptr, FnDep::Other},
};

constexpr bool wellFormed() {
    for (const ExprFunction& f : kFunctions)
        if (f.minArgs > f.maxArgs || f.maxArgs > kMaxFnArgs ||
            (f.eager == nullptr) == (f.lazy == nullptr))
            return false;
    return true;
}
static_assert(wellFormed(), "each function row needs one implementation and at most kMaxFnArgs");

}  // namespace

const ExprFunction* findExprFunction(std::string_view name) {
    for (const ExprFunction& f : kFunctions) {
        if (f.name.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) {
            char c = name[i];
            same = (c >= 'a' && c <= 'z' ? char(c - 32) : c) == f.name[i];
        }
        if (same) return &f;
    }
    return nullptr;
}

std::span<const ExprFunction> exprFunctions() {
    return kFunctions;
}
