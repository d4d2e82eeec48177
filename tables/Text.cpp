#include "Text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace text {

namespace {
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
}  // namespace

size_t length(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s) n += !isContinuation(c);
    return n;
}

size_t byteOffset(std::string_view s, size_t chars) {
    size_t i = 0;
    while (i < s.size() && chars > 0) {
        ++i;
        while (i < s.size() && isContinuation((unsigned char)s[i])) ++i;
        --chars;
    }
    return i;
}

std::string left(std::string_view s, size_t chars) { return std::string(s.substr(0, byteOffset(s, chars))); }

std::string right(std::string_view s, size_t chars) {
    size_t len = length(s);
    if (chars >= len) return std::string(s);
    return std::string(s.substr(byteOffset(s, len - chars)));
}

std::string sub(std::string_view s, size_t start0, size_t chars) {
    size_t from = byteOffset(s, start0);
    std::string_view rest = s.substr(from);
    return std::string(rest.substr(0, byteOffset(rest, chars)));
}

std::string fit(std::string_view s, size_t chars) {
    // Pure ASCII fast path: byte count equals character count.
    size_t len = length(s);
    if (len == chars) return std::string(s);
    if (len > chars) return left(s, chars);
    std::string out(s);
    out.append(chars - len, ' ');
    return out;
}

std::string padLeft(std::string_view s, size_t chars, char fill) {
    size_t len = length(s);
    if (len >= chars) return left(s, chars);
    return std::string(chars - len, fill) + std::string(s);
}

std::string rtrim(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && s[end - 1] == ' ') --end;
    return std::string(s.substr(0, end));
}

std::string ltrim(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && s[b] == ' ') ++b;
    return std::string(s.substr(b));
}

namespace {
// Latin-1 supplement letters are two bytes, C3 xx; upper/lower differ by 0x20 in xx.
std::string changeCase(std::string_view s, bool toUpper) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = out[i];
        if (c < 0x80) {
            if (toUpper && c >= 'a' && c <= 'z') out[i] = char(c - 32);
            if (!toUpper && c >= 'A' && c <= 'Z') out[i] = char(c + 32);
        } else if (c == 0xC3 && i + 1 < out.size()) {
            unsigned char d = out[i + 1];
            if (toUpper && d >= 0xA0 && d <= 0xBE && d != 0xB7) out[i + 1] = char(d - 0x20);
            if (!toUpper && d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = char(d + 0x20);
            ++i;
        }
    }
    return out;
}
}  // namespace

std::string upper(std::string_view s) { return changeCase(s, true); }
std::string lower(std::string_view s) { return changeCase(s, false); }

std::string formatNumber(double n, int width, int decimals) {
    if (width <= 0) return "";
    decimals = decimals < 0 ? 0 : decimals > 30 ? 30 : decimals;
    if (!std::isfinite(n)) return std::string(size_t(width), '*');
    // Format without padding (bounded), then pad to the width.
    char buf[400];
    int len = std::fabs(n) < 1e300 ? std::snprintf(buf, sizeof buf, "%.*f", decimals, n) : -1;
    if (len < 0 || len >= int(sizeof buf) || len > width) return std::string(size_t(width), '*');
    std::string s(buf, size_t(len));
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);  // no "-0.00"
    return std::string(size_t(width) - s.size(), ' ') + s;
}

double roundDecimals(double n, int decimals) {
    static const double pow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    double rounded = n;
    // Whole numbers, the common case, need no rounding; nor do those too large to scale.
    if (!(std::fabs(n) < 1e15 && double(int64_t(n)) == n)) {
        double p = pow10[decimals < 0 ? 0 : decimals > 15 ? 15 : decimals];
        double scaled = n * p;
        if (std::isfinite(scaled)) rounded = std::round(scaled) / p;
    }
    return rounded == 0 ? 0 : rounded;
}

std::string fieldNumber(double n, int decimals) {
    decimals = decimals < 0 ? 0 : decimals > 30 ? 30 : decimals;
    if (!std::isfinite(n) || !(std::fabs(n) < 1e300)) return "";
    double r = roundDecimals(n, decimals);
    if (std::fabs(r) < 1e15 && double(int64_t(r)) == r) {
        // Whole numbers, the common case, without the cost of printf: the same digits.
        char digits[24];
        char* end = digits + sizeof digits;
        char* p = end;
        uint64_t v = uint64_t(r < 0 ? -int64_t(r) : int64_t(r));
        do {
            *--p = char('0' + v % 10);
            v /= 10;
        } while (v);
        if (r < 0) *--p = '-';
        std::string out(p, size_t(end - p));
        if (decimals > 0) {
            out += '.';
            out.append(size_t(decimals), '0');
        }
        return out;
    }
    char buf[400];
    int len = std::snprintf(buf, sizeof buf, "%.*f", decimals, r);
    if (len < 0 || len >= int(sizeof buf)) return "";
    std::string s(buf, size_t(len));
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);  // no "-0.00"
    return s;
}

std::string fromCodePoint(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

}  // namespace text
