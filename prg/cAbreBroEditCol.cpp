// The cell browse's one-cell editor (a borderless pop-up over the cell holding a
// drop-down list or an entry field, with or without a button) and its progress meter
// over a cell.
#include <cctype>
#include <exception>
#include <stdexcept>

#include "ComboBox.h"
#include "Dialog.h"
#include "Error.h"
#include "Keyboard.h"
#include "Meter.h"
#include "Resources.h"
#include "cAbreBro.h"
#include "cAbreBroEdit.h"
#include "tGetFer.h"

namespace {

// The entry field of a plain cell editor: it tells its pop-up when the focus leaves it.
class CellGet : public tGetFer {
  public:
    using tGetFer::tGetFer;
    std::function<void()> onLeave;
    void lostFocus() override {
        tGetFer::lostFocus();
        if (onLeave) onLeave();
    }
};

// The items of a drop-down editor: their values and the texts shown.
struct ListItems {
    std::vector<Value> values;
    std::vector<std::string> texts;
    void add(const Value& v) {
        values.push_back(v);
        texts.push_back(v.isText() ? v.text() : cellTextOf(v));
    }
};

ListItems listItems(const Value& items, bool logical) {
    ListItems out;
    if (items.isArray())
        for (const Value& v : *items.array()) out.add(v);
    else if (items.isHash())
        for (const auto& [key, v] : items.hashRef()->items()) out.add(v);
    else if (logical)
        for (const char* t : {".T.", ".F."}) out.add(Value(t));
    return out;
}

// A key listed in `keys`: a text of characters (compared as the keyboard codes of
// letters and digits) or one key code.
bool isListedKey(const Value& keys, int key) {
    if (keys.isNumber()) return int(keys.num()) == key;
    if (!keys.isText() || key <= 0) return false;
    for (unsigned char c : keys.text())
        if (std::toupper(c) == key) return true;
    return false;
}

Picture buttonPicture(const Value& bmp) {
    if (bmp.isNumber())
        if (const Picture* p = memBitmap(int(bmp.num()))) return *p;
    if (bmp.isText() && !bmp.text().empty()) {
        const std::string& bytes = bmp.text();
        return pictureFromBmp({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()},
                              "button picture");
    }
    return Picture();
}

// Runs `work` from a pop-up's start-up action and carries what it throws past the event loop.
struct Carried {
    std::exception_ptr error;
    template <class F>
    void run(F&& work) {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
    }
    void rethrow() {
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace

Rect tCAbreBrow::editRect(int col) {
    double left = 0, right = usableWidth() - 1;
    for (const ColumnSpan& span : columnLayout())
        if (span.col == col) {
            left = span.left;
            right = span.right;
        }
    // The cell of the column in the header row the line is counted from, one pixel down.
    double top = (lDrawHeaders ? std::max(nHHeight() - nHeaderHeight, 0) : 0) + 1;
    top += -(lDrawHeaders ? nLineHeight - nHeaderHeight : nHeaderHeight) + nLineHeight * nRowPos;
    return Rect{top, left, right - left + 1, double(nLineHeight - 1)};
}

bool tCAbreBrow::lEditCol(int col, Value& value, const EditColOptions& o) {
    if (col <= 0) col = nColAct;
    BrowseRow row = bLine ? bLine() : BrowseRow();
    Color fore = colorOf(o.nClrFore.empty() ? nClrText : o.nClrFore, col, row, colors::black);
    Color back = colorOf(o.nClrBack.empty() ? nClrPane : o.nClrBack, col, row, colors::white);
    if (lCellStyle && nColAct != col) {
        GoToCol(col);
        nColAct = col;
        drawSelect();
    }
    Rect cell = editRect(col);
    double w = cell.width, h = cell.height;
    TDialog popup(DialogOptions{.width = int(w),
                                .height = int(h),
                                .units = Units::Pixels,
                                .popup = true,
                                .parent = &parent()});
    popup.setBackgroundPicture(Picture(std::max(int(w), 1), std::max(int(h), 1), back));
    popup.placeOver(*this, cell);

    bool accepted = false, closing = false;
    Value result = value, edited = value;
    auto finish = [&](bool ok) {
        if (closing) return;
        closing = true;
        accepted = ok;
        popup.end();
    };
    TButton* enter = popup.add<TButton>(ButtonOptions{.rect = {0, 0, 0, 0}, .isDefault = true});
    TComboBox* list = nullptr;
    TGet* field = nullptr;

    bool logical = value.isLogical();
    if (logical || o.aItems.isArray() || o.aItems.isHash()) {
        ListItems items = listItems(o.aItems, logical);
        int first = logical ? (value.logical() ? 1 : 2) : 1;
        for (size_t i = 0; !logical && i < items.values.size(); ++i)
            if (items.values[i] == value) first = int(i) + 1;
        double lift = logical ? 3 : 2;
        list = popup.add<TComboBox>(ComboBoxOptions{.rect = {-lift, 0, w + (logical ? 3 : 0), h},
                                                    .items = items.texts,
                                                    .selected = first,
                                                    .listHeight = logical ? 50 : 0,
                                                    .font = oFont});
        list->onPick = [&, values = items.values](TComboBox&, int n) {
            result = logical ? Value(n == 1) : values[size_t(n - 1)];
            finish(true);
        };
        if (!logical) list->onLostFocus = [&](TComboBox&) { finish(false); };
        enter->setAction([&] { list->pick(list->selected()); });
    } else {
        GetOptions get{.rect = {-2, 0, o.bAction ? w - nLineHeight : w, h},
                       .binding = GetBinding::to(edited),
                       .picture = o.cPicture,
                       .font = oFont,
                       .textColor = fore,
                       .backColor = back};
        get.bValid = o.bValid;  // Enter accepts only while it answers true
        try {
            if (o.bAction)
                field = popup.add<tGetFer>(std::move(get));
            else
                field = popup.add<CellGet>(std::move(get));
        } catch (const std::invalid_argument& e) {
            ErrorRecord r = makeError(EG_DATATYPE, 0, "TCABREBROW", "LEDITCOL");
            r.description += ": " + std::string(e.what());
            raiseError(r);
            return false;
        }
        // Typing replaces the cell's text: a full cell (a number always is) would take
        // no character in insert mode.
        field->setInsertMode(false);
        enter->setAction([&] {
            if (!field->lValid()) {
                field->setFocus();
                return;
            }
            result = field->value();
            finish(true);
        });
        if (o.bAction) {
            auto* button = popup.add<TButton>(ButtonOptions{
                .rect = {-2, w - nLineHeight, double(nLineHeight), double(nLineHeight)},
                .caption = o.cBmp.isNil() ? "..." : ""});
            button->setPicture(buttonPicture(o.cBmp));
            button->setAction([&, action = o.bAction] {
                field->setValue(action(field->value(), *field));
                if (field->lValid())
                    enter->click();
                else
                    field->setFocus();
            });
            field->bKeyDown = [button, keys = o.cKeys](TGet&, int key, int) {
                if (!isListedKey(keys, key)) return false;
                button->click();
                return true;
            };
        } else {
            static_cast<CellGet*>(field)->onLeave = [&] {
                if (closing) return;
                if (!::keyDown(Key::Escape) && field->lValid()) {
                    result = field->value();
                    accepted = true;
                }
                if (!enter->hasFocus()) finish(accepted);
            };
        }
    }
    popup.activate(ActivateOptions{.centered = false, .onShown = [&](TDialog&) {
                                       if (list) {
                                           list->setFocus();
                                           list->open();
                                       } else {
                                           field->setFocus();
                                       }
                                   }});
    if (accepted) value = result;
    return accepted;
}

Value tCAbreBrow::meter(int col, std::function<Value(const std::vector<Value>&)> job,
                        std::vector<Value> args) {
    if (col == -1) {
        std::vector<ColumnSpan> shown = columnLayout();
        col = shown.empty() ? 1 : shown.front().col;
    } else if (col <= 0) {
        col = nColAct;
    }
    Rect cell = editRect(col);
    TDialog popup(DialogOptions{.width = int(cell.width),
                                .height = int(cell.height),
                                .units = Units::Pixels,
                                .popup = true,
                                .overlay = true,
                                .parent = &parent()});
    popup.placeOver(*this, cell);
    TMeter* bar =
        popup.add<TMeter>(MeterOptions{.rect = {0, 0, cell.width, cell.height}, .font = oFont});
    args.insert(args.begin(), bar->asValue());
    bool running = true;
    popup.bValid = [&](TDialog&) { return !running; };
    Value result;
    Carried carried;
    popup.activate(ActivateOptions{.centered = false, .onShown = [&](TDialog& d) {
                                       carried.run([&] { result = job ? job(args) : Value(); });
                                       running = false;
                                       d.end();
                                   }});
    carried.rethrow();
    return result;
}
