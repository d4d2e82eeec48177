// Lines, texts and layout of the message box.
#include <algorithm>
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
            return v.toText();
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
