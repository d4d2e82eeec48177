// The cell browse's incremental search: typed characters build a search text that finds a
// key of the controlling order, a position of an array or a row number. A failed search
// ends the text in the not-found marker (the character 0), which only Backspace removes.
#include <algorithm>
#include <cstdlib>

#include "Control.h"
#include "Expr.h"
#include "Get.h"
#include "Keyboard.h"
#include "Rdd.h"
#include "TableLayer.h"
#include "Text.h"
#include "cAbreBro.h"

namespace {

constexpr char kNotFound = '\0';

bool endsInMarker(const std::string& s) {
    return !s.empty() && s.back() == kNotFound;
}

// Removes the last character (a whole UTF-8 sequence).
void dropLast(std::string& s) {
    if (s.empty()) return;
    size_t i = s.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    s.erase(i);
}

bool isDigit(const std::string& ch) {
    return ch.size() == 1 && ch[0] >= '0' && ch[0] <= '9';
}

// A date typed as day, month and year ("25/12/2011", "25-12-11"); empty when incomplete.
Date typedDate(const std::string& s) {
    int part[3] = {0, 0, 0}, digits[3] = {0, 0, 0}, k = 0;
    for (char c : s) {
        if (c == '/' || c == '-') {
            if (++k > 2) return Date();
        } else if (c >= '0' && c <= '9') {
            part[k] = part[k] * 10 + (c - '0');
            ++digits[k];
        }
    }
    if (k < 2 || digits[2] == 0) return Date();
    int year = digits[2] <= 2 ? 1900 + part[2] : part[2];
    return Date::fromYmd(year, part[1], part[0]);
}

// The key value of the controlling order for the current record; NIL when unknown.
Value currentKeyValue() {
    static std::string cachedText;
    static std::shared_ptr<const CompiledExpr> cached;
    std::string keyText = INDEXKEY(0);
    if (keyText.empty()) return Value();
    if (keyText != cachedText || !cached) {
        CompileResult r = compileExpr(keyText);
        cached = r.expr;
        cachedText = keyText;
    }
    return cached ? cached->eval(layerExprHost()) : Value();
}

}  // namespace

BrowseDisplay BrowseDisplay::label(TSay& say) {
    return {[&say](const std::string& text) {
        say.setCaption("");
        say.setCaption(text);
    }};
}

BrowseDisplay BrowseDisplay::field(TGet& get) {
    return {[&get](const std::string& text) {
        get.setValue(Value(text));
        get.assign();
    }};
}

const std::string& tCAbreBrow::setSeeked(const std::string& text) {
    cSeek_ = text;
    if (oSeek && oSeek->show) oSeek->show(cSeek_);
    return cSeek_;
}

bool tCAbreBrow::seek(const std::string& typed) {
    if (!bSeek) return true;
    std::string ch = typed;
    std::string s = cSeek_;
    bool ok = true, found = true;

    if (ch == "\b") {
        if (endsInMarker(s)) s.pop_back();
        dropLast(s);
        ch.clear();
        setSeeked(s);
    }
    bool controlled = ch == "\x7f" || ::keyDown(Key::Control);
    if (controlled) {
        if (ch == "\x7f" || (s.empty() && ch.empty())) {
            setSeeked("");
            if (bGoTop) bGoTop();
        }
    } else if (endsInMarker(s)) {
        return false;
    } else if (lMatriz && nIndex != 0) {
        s += ch;
        if (s.empty()) {
            if (bGoTop) bGoTop();
        } else {
            Value r = bSeek(Value(s), nIndex);
            long p = r.isText() ? std::atol(r.text().c_str()) : long(r.num());
            nAt = p == 0 ? 1 : std::labs(p);
            if (p < 1) {
                s += kNotFound;
                found = false;
            }
        }
        setSeeked(s);
    } else if (lMatriz || inAlias([] { return ORDNAME().empty(); })) {
        // Positioning by row number.
        if (!ch.empty() && !isDigit(ch)) {
            ok = false;
        } else {
            s += ch;
            long number = s.empty() ? 0 : std::atol(s.c_str());
            long count = bLogicLen ? bLogicLen() : 0;
            if (lMatriz) {
                if (s.empty()) {
                    if (bGoTop) bGoTop();
                } else {
                    nAt = std::clamp(number, 1L, std::max(1L, count));
                }
            } else {
                inAlias([&] { return DBGOTO(std::clamp(std::max(number, 1L), 1L, std::max(1L, LASTREC()))); });
            }
            if (number > count) {
                s += kNotFound;
                found = false;
            }
            setSeeked(s);
        }
    } else {
        Value key = inAlias([] { return currentKeyValue(); });
        auto softSeek = [&](const Value& v, bool soft) {
            return inAlias([&] {
                Value k = bSeek(v, nIndex);
                if (key.isLogical() && k.isText()) k = Value(text::upper(k.text()) == "T");
                bool hit = DBSEEK(k, soft);
                return std::pair<bool, bool>{hit, EOF_()};
            });
        };
        if (key.isText()) {
            s += ch;
            auto [hit, eof] = softSeek(Value(s), true);
            if (!hit && (!lSeekEOF || eof)) {
                s += kNotFound;
                found = false;
            }
            setSeeked(s);
        } else if (key.isNumber() && (ch.empty() || isDigit(ch))) {
            s += ch;
            auto [hit, eof] = softSeek(Value(std::atof(s.c_str())), true);
            if (eof) {
                s += kNotFound;
                found = false;
            }
            (void)hit;
            setSeeked(s);
        } else if (key.isDate() && (ch.empty() || isDigit(ch) || ch == "-" || ch == "/")) {
            s += ch;
            auto [hit, eof] = softSeek(Value(typedDate(s)), true);
            if (eof) {
                s += kNotFound;
                found = false;
            }
            (void)hit;
            setSeeked(s);
        } else if (key.isLogical() && (ch.empty() || text::upper(ch) == "T" || text::upper(ch) == "F")) {
            s = ch;
            auto [hit, eof] = softSeek(Value(s), false);
            if (eof) {
                s += kNotFound;
                found = false;
            }
            (void)hit;
            setSeeked(s);
        } else {
            ok = false;
        }
    }

    if (ok) {
        upStable();
        lHitTop = lHitBottom = false;
        vSetPos(lMatriz ? nAt : orderPosition());
        if (bChange) bChange(*this);
    }
    return ok && found;
}
