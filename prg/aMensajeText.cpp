// Lines, texts and layout of the message box.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "aMensaje.h"

namespace {

std::string keyLiteral(const Value& key) {
    if (key.isText()) return "\"" + key.text() + "\"";
    return mensajeText(key);
}

std::string dateText(const Date& d) {
    if (d.empty()) return "  /  /    ";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day(), d.month(), d.year());
    return buf;
}

// `digits` ("123.4567", no sign) rounded half up to `decimals` places, padded with zeros.
std::string roundDigits(const std::string& digits, int decimals) {
    size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string frac = point == std::string::npos ? "" : digits.substr(point + 1);
    bool up = int(frac.size()) > decimals && frac[size_t(decimals)] >= '5';
    frac.resize(size_t(decimals), '0');
    std::string all = whole + frac;
    for (size_t i = all.size(); up && i-- > 0;) {
        up = all[i] == '9';
        all[i] = up ? '0' : char(all[i] + 1);
    }
    if (up) all.insert(all.begin(), '1');
    size_t wholeSize = all.size() - frac.size();
    return decimals > 0 ? all.substr(0, wholeSize) + "." + all.substr(wholeSize) : all;
}

// The shortest decimal digits that stand for `n` (finite, not negative), written out in
// full without an exponent: 1e35 gives a 1 and 35 zeros, not the binary value's digits.
std::string shortestDigits(double n) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n, std::chars_format::scientific);
    std::string sci(buf, ec == std::errc() ? end : buf);  // "1.2345e-12"
    size_t e = sci.find('e');
    if (e == std::string::npos) return "0";
    int exponent = std::stoi(sci.substr(e + 1));
    std::string mantissa = sci.substr(0, e);
    mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
    int wholeDigits = exponent + 1;  // digits before the point
    if (wholeDigits <= 0) return "0." + std::string(size_t(-wholeDigits), '0') + mantissa;
    if (size_t(wholeDigits) >= mantissa.size())
        return mantissa + std::string(size_t(wholeDigits) - mantissa.size(), '0');
    return mantissa.substr(0, size_t(wholeDigits)) + "." + mantissa.substr(size_t(wholeDigits));
}

// A number's digits: all of its whole part (no exponent, no stars) and its own decimals
// when it has them; otherwise up to ten decimals without trailing zeros, and for a
// number too small for those its first ten significant digits. Never a dangling point.
std::string numberText(const Value& v) {
    double n = v.num();
    if (!std::isfinite(n)) return std::isnan(n) ? "NaN" : n < 0 ? "-Infinity" : "Infinity";
    std::string digits = shortestDigits(std::fabs(n));
    auto isZero = [](const std::string& s) { return s.find_first_not_of("0.") == std::string::npos; };
    std::string text;
    if (v.numDecimals() >= 0) {
        text = roundDigits(digits, v.numDecimals());
    } else {
        text = roundDigits(digits, 10);
        if (isZero(text) && n != 0) {
            size_t firstSignificant = digits.find_first_not_of("0.") - digits.find('.');
            text = roundDigits(digits, int(firstSignificant) + 9);
        }
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.') text.pop_back();
        }
    }
    return n < 0 && !isZero(text) ? "-" + text : text;
}

}  // namespace

std::string mensajeText(const Value& v) {
    switch (v.type()) {
        case 'U':
            return "NIL";
        case 'C':
        case 'M':
            return v.text();
        case 'D':
            return dateText(v.date());
        case 'L':
            return v.logical() ? ".T." : ".F.";
        case 'N':
            return numberText(v);
        case 'A':
            return "{ ... (" + std::to_string(v.array() ? v.array()->size() : 0) + ") }";
        case 'B':
            return "{|| ... }";
        case 'O':
            return "Class " + (v.object() ? v.object()->className() : std::string()) + " object";
        case 'P': {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%p", v.ptr());
            return buf;
        }
        case 'H':
            return "{ => (" + std::to_string(v.hashRef() ? v.hashRef()->size() : 0) + ") }";
        default:
            return std::string("Type: ") + v.type();
    }
}

std::vector<MensajeLine> mensajeLines(const Value& v, std::string* title) {
    std::vector<MensajeLine> lines;
    auto add = [&](std::string text, const Value& value) {
        bool nested = value.isArray() || value.isHash() || value.isObject();
        lines.push_back({std::move(text), nested ? value : Value()});
    };
    if (v.isArray() && v.array()) {
        for (const Value& e : *v.array()) add(mensajeText(e), e);
    } else if (v.isHash() && v.hashRef()) {
        for (const auto& [key, value] : v.hashRef()->items())
            add(keyLiteral(key) + ": " + mensajeText(value), value);
    } else if (v.isObject() && v.object()) {
        auto members = v.object()->members();
        std::stable_sort(members.begin(), members.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [name, value] : members) add(name + ": " + mensajeText(value), value);
        if (title) *title = v.object()->className();
    } else {
        add(mensajeText(v), Value());
    }
    return lines;
}

MensajeLayout mensajeLayout(int lineCount, double widestLine, int buttonCount, double widestButton,
                            double titleWidth) {
    MensajeLayout l;
    l.buttonWidth = widestButton + 8;
    double rowWidth = (l.buttonWidth + 7) * buttonCount + 7;
    l.boxWidth = lineCount == 0 ? 0 : widestLine + 14;
    l.boxWidth = std::max({l.boxWidth, titleWidth * 1.15 + 40, rowWidth + 8});
    l.rowStart = (l.boxWidth - rowWidth) / 2 + (buttonCount == 1 ? 7 : 0);
    l.boxHeight = 15.0 * (lineCount + 3);
    for (int i = 0; i < lineCount; ++i) l.lines.push_back(Rect{7.5 * i, 0, l.boxWidth / 2, 7.5});
    for (int i = 0; i < buttonCount; ++i)
        l.buttons.push_back(Rect{7.5 * (lineCount + 1), (l.rowStart + (l.buttonWidth + 14) * i) / 2,
                                 l.buttonWidth / 2, 10});
    return l;
}
