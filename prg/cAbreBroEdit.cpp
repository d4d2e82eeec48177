// The cell browse's double-click entry and its in-place editing loop, and the write-back
// of an edited cell to its table field.
#include "cAbreBroEdit.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <optional>

#include "Dialog.h"
#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "aMensaje.h"
#include "cAbreBro.h"

namespace {

// ---- field write-back ------------------------------------------------------------------

bool refuse(int genCode, const std::string& what) {
    ErrorRecord r = makeError(genCode, 0, "TCABREBROW", "FIELDPUT");
    r.description += ": " + what;
    r.canDefault = true;
    raiseError(r);
    return false;
}

std::optional<double> numberFromText(const std::string& text) {
    std::string t = text::rtrim(text::ltrim(text));
    if (t.empty()) return 0.0;
    char* end = nullptr;
    double n = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(n)) return std::nullopt;
    // Only plain decimal notation, as a number field writes it.
    for (char c : t)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+'))
            return std::nullopt;
    return n;
}

// dd/mm/yyyy (or with "-" or "." between the parts), blanks for the empty date.
std::optional<Date> dateFromText(const std::string& text) {
    std::string t = text::rtrim(text::ltrim(text));
    if (t.find_first_not_of("/-. ") == std::string::npos) return Date();
    auto isSeparator = [](char c) { return c == '/' || c == '-' || c == '.'; };
    if (t.size() != 10 || !isSeparator(t[2]) || t[5] != t[2]) return std::nullopt;
    for (size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
    Date d = Date::fromYmd(std::atoi(t.substr(6, 4).c_str()), std::atoi(t.substr(3, 2).c_str()),
                           std::atoi(t.substr(0, 2).c_str()));
    if (d.empty()) return std::nullopt;
    return d;
}

std::optional<bool> logicalFromText(const std::string& text) {
    std::string t = text::upper(text::rtrim(text::ltrim(text)));
    if (t == ".T.") return true;
    if (t == ".F.") return false;
    return std::nullopt;
}

}  // namespace

std::string cellTextOf(const Value& v) {
    return mensajeText(v);
}

bool cellToField(int field, const Value& typed) {
    Structure s = DBSTRUCT();
    if (field < 1 || field > int(s.size())) {
        return refuse(EG_BOUND, "no field " + std::to_string(field));
    }
    const FieldDesc& f = s[size_t(field - 1)];
    std::string text = typed.isText() ? typed.text() : cellTextOf(typed);
    Value v;
    switch (f.type) {
        case 'D': {
            auto d = typed.isDate() ? std::optional<Date>(typed.date()) : dateFromText(text);
            if (!d) return refuse(EG_DATATYPE, "\"" + text + "\" is not a date for " + f.name);
            v = Value(*d);
            break;
        }
        case 'L': {
            auto l =
                typed.isLogical() ? std::optional<bool>(typed.logical()) : logicalFromText(text);
            if (!l) return refuse(EG_DATATYPE, "\"" + text + "\" is not .T. or .F. for " + f.name);
            v = Value(*l);
            break;
        }
        case 'N':
        case 'F':
        case 'I':
        case 'B':
        case 'Y': {
            auto n = typed.isNumber() ? std::optional<double>(typed.num()) : numberFromText(text);
            if (!n) return refuse(EG_DATATYPE, "\"" + text + "\" is not a number for " + f.name);
            v = Value(*n);
            break;
        }
        case 'C':
            // The drivers would cut a longer text to the field: refused instead.
            if (text::length(text::rtrim(text)) > size_t(f.len))
                return refuse(EG_DATAWIDTH, "\"" + text + "\" is longer than " + f.name + " (" +
                                                std::to_string(f.len) + ")");
            v = Value(text);
            break;
        default:
            v = typed.isText() ? Value(text) : typed;
    }
    return !FIELDPUT(field, v).isNil();
}

// ---- double click ----------------------------------------------------------------------

void tCAbreBrow::lDblClick(int row, int col, int flags) {
    lDblClick(std::optional<int>(row), std::optional<int>(col), flags, false, false);
}

void tCAbreBrow::lDblClick(std::optional<int> row, std::optional<int> col, int flags, bool lModif,
                           bool lNew) {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen <= 0 && !lNew) return;
    if (bLDblClick && !lAutoEdit) {
        bLDblClick(BrowseDblClick{.nRow = row.value_or(0),
                                  .nCol = col.value_or(0),
                                  .nStKey = flags,
                                  .lModif = lModif,
                                  .lNew = lNew,
                                  .oBrow = this,
                                  .oClase = oClase});
        return;
    }
    // Enter (no position) stands for the current line and column.
    bool onCurrentLine = !row || nWRow(*row) == nRowPos;
    if (!onCurrentLine || nLen <= 0) return;
    if (lAutoEdit)
        edit(col ? nAtCol(*col) : nColAct);
    else
        TWBrowse::lDblClick(row.value_or(0), col.value_or(0), flags);
}

// ---- the editing loop ------------------------------------------------------------------

namespace {

// Where the loop stands and how it goes on.
struct EditStep {
    bool go = false;  // the loop continues
    int move = 0;     // 0: none given
};

// The bEdit answer: a logical continues (true moves one column) or stops; a number
// -3 ... 3 other than 0 continues with that move; anything else stops.
EditStep stepFromCallback(const Value& r) {
    if (r.isLogical()) return EditStep{r.logical(), r.logical() ? 1 : 0};
    if (r.isNumber()) {
        double n = r.num();
        if (n == std::trunc(n) && n >= -3 && n <= 3 && n != 0) return EditStep{true, int(n)};
    }
    return EditStep{};
}

bool isBitmap(const Value& v) {
    return v.isNumber();  // a number in a row is a bitmap handle
}

// Runs the editing loop of one edit() over its browse.
class EditLoop {
  public:
    explicit EditLoop(tCAbreBrow& b) : b_(b) {}

    void run(int col) {
        bool drawSelect = b_.lDrawSelect, cellStyle = b_.lCellStyle;
        b_.lDrawSelect = false;
        b_.lCellStyle = true;
        b_.drawSelect();
        col_ = std::max(col, 1);
        goToColumn(col_);
        bool first = true;
        int skipped = 0, lastMove = 1;
        for (;;) {
            BrowseRow row = b_.bLine ? b_.bLine() : BrowseRow();
            int columns = int(row.size());
            if (columns == 0 || col_ > columns) break;
            Value value = row[size_t(col_ - 1)];
            EditStep step;
            if (width(col_) > 0 && !isBitmap(value)) {
                skipped = 0;
                if (b_.bEdit) {
                    step = stepFromCallback(b_.bEdit(col_, value, first));
                    first = false;
                } else {
                    step.go = isTable() ? editTableCell(value) : b_.lEditCol(col_, value);
                }
            } else {
                // A hidden column or a picture: passed over in the direction of travel.
                if (++skipped > columns) break;
                step = EditStep{true, lastMove < 0 ? -1 : 1};
            }
            if (!step.go) break;
            bool moved = true;
            if (b_.lAutoSkip || step.move != 0 || skipped > 0) {
                lastMove = step.move == 0 ? 1 : step.move;
                moved = move(lastMove, columns);
            }
            if (!moved || !(b_.lAutoSkip || skipped > 0)) break;
        }
        b_.lDrawSelect = drawSelect;
        b_.lCellStyle = cellStyle;
        if (!b_.lCellStyle) {
            goToColumn(1);
            b_.Refresh(false);
        }
        if (b_.oHScroll) b_.oHScroll->SetPos(b_.nColAct);
        b_.drawSelect();
    }

  private:
    bool isTable() const {
        return !b_.lMatriz && !b_.cAlias.empty() && b_.cAlias != "ARRAY" && b_.cAlias != "_TXT_";
    }

    int width(int col) const {
        std::vector<int> sizes = b_.GetColSizes();
        return col <= int(sizes.size()) ? sizes[size_t(col - 1)] : 1;
    }

    void goToColumn(int col) {
        col_ = col;
        b_.GoToCol(col);
        b_.nColAct = col;
        if (b_.oHScroll) b_.oHScroll->SetPos(col);
    }

    // The current row: its element in array mode, its record in table mode.
    long rowId() {
        if (!isTable()) return b_.nAt;
        return long(evalInAlias(b_.cAlias, [] { return Value(RECNO()); }).num());
    }

    bool rowStep(int n) {
        long before = rowId();
        if (n > 0)
            b_.goDown();
        else
            b_.goUp();
        return rowId() != before;
    }

    // Moves as the loop's move codes say; false when there is no row to move to.
    bool move(int code, int columns) {
        switch (code) {
            case 1:
                if (col_ < columns) {
                    goToColumn(col_ + 1);
                    return true;
                }
                if (!rowStep(1)) return false;
                goToColumn(1);
                return true;
            case 2:
                if (!rowStep(1)) return false;
                goToColumn(1);
                return true;
            case 3:
                return rowStep(1);
            case -1:
                if (col_ > 1) {
                    goToColumn(col_ - 1);
                    return true;
                }
                if (!rowStep(-1)) return false;
                goToColumn(columns);
                return true;
            case -2:
                if (!rowStep(-1)) return false;
                goToColumn(1);
                return true;
            case -3:
                return rowStep(-1);
            default:
                return false;
        }
    }

    // Table mode: the cell edited under the record lock and written back to its field
    // when the column shows that field's own text. True when the edit was accepted.
    bool editTableCell(Value value) {
        const std::string& alias = b_.cAlias;
        if (!evalInAlias(alias, [] { return Value(RLOCK()); }).logical()) {
            MENSAJE(
                MensajeArgs{.value = Value("Record locked!"), .title = Value("Please, try again")});
            return false;
        }
        Value shown = value;
        bool accepted = b_.lEditCol(col_, value);
        int field = col_;
        evalInAlias(alias, [&] {
            if (accepted && field <= FCOUNT() &&
                cellTextOf(FIELDGET(field)) ==
                    (shown.isText() ? shown.text() : cellTextOf(shown))) {
                if (cellToField(field, value)) b_.drawSelect();
            }
            DBUNLOCK();
            return Value();
        });
        return accepted;
    }

    tCAbreBrow& b_;
    int col_ = 1;
};

}  // namespace

void tCAbreBrow::edit(int col, bool /*flag*/) {
    TDialog popup(DialogOptions{
        .width = 0, .height = 0, .units = Units::Pixels, .popup = true, .parent = &parent()});
    popup.placeOver(*this, Rect{0, 0, 1, 1});
    // What the loop throws is carried past the pop-up's event loop and thrown again here.
    std::exception_ptr error;
    popup.activate(ActivateOptions{.centered = false, .onShown = [&](TDialog& d) {
                                       try {
                                           EditLoop(*this).run(col);
                                       } catch (...) {
                                           error = std::current_exception();
                                       }
                                       d.end();
                                   }});
    if (error) std::rethrow_exception(error);
}
