#include "dlgTemplate.h"

#include <array>
#include <cctype>
#include <set>
#include <utility>

#include "Canvas.h"

namespace {

constexpr int kMaxCoordinate = 4000;
constexpr int kMaxId = 65535;

constexpr std::array<std::pair<DlgKind, const char*>, 7> kKinds = {{{DlgKind::Label, "label"},
                                                                     {DlgKind::Button, "button"},
                                                                     {DlgKind::Get, "get"},
                                                                     {DlgKind::Browse, "browse"},
                                                                     {DlgKind::Tabs, "tabs"},
                                                                     {DlgKind::BtnBmp, "btnbmp"},
                                                                     {DlgKind::Custom, "custom"}}};

// The words of one line: bare words and quoted texts (quoted marks which is which).
struct Word {
    std::string text;
    bool quoted = false;
};

Status splitLine(std::string_view line, std::vector<Word>& words) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        Word w;
        if (c == '"') {
            w.quoted = true;
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    w.text += line[++i];
                } else if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    w.text += line[i];
                }
            }
            if (!closed) return Status::Corruption("a text without its closing quote");
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '"')
                w.text += line[i++];
        }
        words.push_back(std::move(w));
    }
    return Status::OK();
}

bool toInt(const Word& w, int low, int high, int& out) {
    if (w.quoted || w.text.empty() || w.text.size() > 6) return false;
    size_t i = 0;
    bool negative = w.text[0] == '-';
    if (negative) i = 1;
    if (i == w.text.size()) return false;
    int v = 0;
    for (; i < w.text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(w.text[i]))) return false;
        v = v * 10 + (w.text[i] - '0');
    }
    if (negative) v = -v;
    if (v < low || v > high) return false;
    out = v;
    return true;
}

Status lineError(size_t line, const std::string& what) {
    return Status::Corruption("line " + std::to_string(line) + ": " + what);
}

Status parseItem(const std::vector<Word>& words, DlgItem& item) {
    bool known = false;
    for (const auto& [kind, name] : kKinds)
        if (!words[0].quoted && words[0].text == name) {
            item.kind = kind;
            known = true;
        }
    if (!known) return Status::Corruption("unknown control kind \"" + words[0].text + "\"");
    if (words.size() < 6) return Status::Corruption("a control needs an id, top, left, width and height");
    if (!toInt(words[1], -1, kMaxId, item.id)) return Status::Corruption("bad id \"" + words[1].text + "\"");
    int box[4];
    for (int k = 0; k < 4; ++k)
        if (!toInt(words[2 + k], 0, kMaxCoordinate, box[k]))
            return Status::Corruption("bad position or size \"" + words[2 + k].text + "\"");
    item.rect = Rect{double(box[0]), double(box[1]), double(box[2]), double(box[3])};
    size_t i = 6;
    if (i < words.size() && words[i].quoted) item.text = words[i++].text;
    for (; i < words.size(); ++i) {
        const Word& w = words[i];
        if (w.quoted) return Status::Corruption("a text where an option was expected");
        if (item.kind == DlgKind::Label && (w.text == "left" || w.text == "center" || w.text == "right"))
            item.align = w.text == "left" ? TextAlign::Left : w.text == "center" ? TextAlign::Center : TextAlign::Right;
        else if (item.kind == DlgKind::Button && w.text == "default")
            item.isDefault = true;
        else if (item.kind == DlgKind::Get && w.text == "picture" && i + 1 < words.size() && words[i + 1].quoted)
            item.picture = words[++i].text;
        else
            return Status::Corruption("unknown option \"" + w.text + "\" for " + words[0].text);
    }
    return Status::OK();
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

const char* dlgKindName(DlgKind kind) {
    for (const auto& [k, name] : kKinds)
        if (k == kind) return name;
    return "custom";
}

const DlgItem* DialogTemplate::item(int id) const {
    for (const DlgItem& i : items)
        if (i.id == id) return &i;
    return nullptr;
}

Status parseDialogTemplate(std::string_view text, DialogTemplate& out) {
    out = DialogTemplate{};
    DialogTemplate t;
    bool header = false;
    std::set<int> ids;
    size_t lineNo = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (line.find('\0') != std::string_view::npos) return lineError(lineNo, "a NUL character");
        std::vector<Word> words;
        if (Status s = splitLine(line, words); !s.ok()) return lineError(lineNo, s.message());
        if (words.empty()) continue;
        if (!header) {
            if (words[0].quoted || words[0].text != "dialog")
                return lineError(lineNo, "the template must begin with: dialog \"title\" width height");
            if (words.size() != 4 || !words[1].quoted || !toInt(words[2], 1, kMaxCoordinate, t.width) ||
                !toInt(words[3], 1, kMaxCoordinate, t.height))
                return lineError(lineNo, "expected: dialog \"title\" width height");
            t.title = words[1].text;
            header = true;
            continue;
        }
        DlgItem item;
        if (Status s = parseItem(words, item); !s.ok()) return lineError(lineNo, s.message());
        if (item.id > 0 && !ids.insert(item.id).second)
            return lineError(lineNo, "id " + std::to_string(item.id) + " used twice");
        t.items.push_back(std::move(item));
    }
    if (!header) return Status::Corruption("empty template: no dialog line");
    out = std::move(t);
    return Status::OK();
}

std::string formatDialogTemplate(const DialogTemplate& t) {
    std::string out = "dialog " + quoted(t.title) + " " + std::to_string(t.width) + " " + std::to_string(t.height) + "\n";
    for (const DlgItem& i : t.items) {
        out += dlgKindName(i.kind);
        for (double v : {double(i.id), i.rect.top, i.rect.left, i.rect.width, i.rect.height})
            out += " " + std::to_string(int(v));
        out += " " + quoted(i.text);
        if (i.kind == DlgKind::Label && i.align != TextAlign::Left)
            out += i.align == TextAlign::Center ? " center" : " right";
        if (i.isDefault) out += " default";
        if (!i.picture.empty()) out += " picture " + quoted(i.picture);
        out += "\n";
    }
    return out;
}
