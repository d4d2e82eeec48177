// The maintenance controller's record operations: add, edit and delete through the
// window's double-click handler, the fresh record that reuses deleted ones, the delete of
// a scope, the key check and the refresh after an in-cell edit.
#include <memory>

#include "Error.h"
#include "MsgBox.h"
#include "TableLayer.h"
#include "aRegistr.h"
#include "abcMaste.h"
#include "cAbreBro.h"
#include "regVacio.h"
#include "uDbf.h"
#include "wAbreBro.h"

namespace {

// The current area becomes the alias's for the lifetime of the guard. An alias that is not
// open raises an error record and leaves `open` false.
struct EnAlias {
    explicit EnAlias(const std::string& alias) {
        if (SELECT(alias) == 0) {
            raiseError(ErrorRecord{.genCode = EG_NOALIAS,
                                   .subCode = 3,
                                   .subsystem = "ABCMASTER",
                                   .description = "Alias not open: " + alias,
                                   .operation = "abcMaster"});
            return;
        }
        scope = std::make_unique<tCAbreBrow::AliasScope>(alias);
        open = true;
    }
    std::unique_ptr<tCAbreBrow::AliasScope> scope;
    bool open = false;
};

long recNoIn(const std::string& alias) {
    EnAlias in(alias);
    return in.open ? RECNO() : 0;
}

void goToIn(const std::string& alias, long record) {
    EnAlias in(alias);
    if (in.open && RECNO() != record) DBGOTO(record);
}

std::shared_ptr<uDBF> bufferOf(const Value& v) {
    return v.isObject() ? std::dynamic_pointer_cast<uDBF>(v.object()) : nullptr;
}

// Re-applies the window's order; its errors are of no consequence to the operation done.
void setIndexQuietly(WBrowseCore& w) {
    try {
        ScopedErrorHandler quiet([](const ErrorRecord&) { return ErrorAction::Default; });
        w.setIndex();
    } catch (const ErrorException&) {
    }
}

// ORDSETFOCUS's answer given back to it: no tag means the natural order.
Value orderValue(const std::string& tag) {
    return tag.empty() ? Value(0) : Value(tag);
}

}  // namespace

void abcMaster::mant_click() {
    if (oWnd) dblClick(*oWnd, false, false);
}

void abcMaster::mant_add(Init init, WBrowseCore* window, std::optional<bool> dialog) {
    WBrowseCore* w = window ? window : oWnd.get();
    if (!w || !w->oBrw) return;
    tCAbreBrow& b = *w->oBrw;
    const bool dlg = dialog.value_or(lDlg);
    const std::string alias = aliasOf(w);
    const long before = recNoIn(alias);
    const int columns = b.bLine ? int(b.bLine().size()) : 0;

    Value result(true);  // in-browse style: go on
    if (dlg) {
        {
            EnAlias in(alias);
            if (in.open) DBGOTO(LASTREC() + 1);
        }
        result = dblClick(*w, true, true);
    }
    std::shared_ptr<uDBF> buffer = bufferOf(result);
    if (result.isNumber()) {
        goToIn(alias, long(result.num()));
    } else if (dlg ? buffer != nullptr : !result.isEmptyValue()) {
        if (!dbAppend(alias)) {
            goToIn(alias, before);
        } else {
            b.nColAct = 1;
            b.nColPos = 1;
            if (dlg) {
                buffer->nRegistro = recNoIn(alias);
                buffer->save();
            } else {
                if (init) init();
                DBCOMMITALL();
                b.upStable();
                for (int col = 1; col <= columns; ++col) {
                    if (dblClick(*w, true, true).logical()) {
                        b.goRight();
                        continue;
                    }
                    if (col == 1) {
                        EnAlias in(alias);
                        if (in.open && RLOCK()) {
                            DBDELETE();
                            DBCOMMIT();
                            b.upStable();
                            b.Refresh();
                        }
                    }
                    break;
                }
            }
        }
    } else {
        goToIn(alias, before);
    }
    setIndexQuietly(*w);
}

void abcMaster::mant_edit(WBrowseCore* window, std::optional<bool> dialog) {
    WBrowseCore* w = window ? window : oWnd.get();
    if (!w || !w->oBrw) return;
    const bool dlg = dialog.value_or(lDlg);
    const std::string alias = aliasOf(w);
    const long before = recNoIn(alias);
    Value result = dblClick(*w, true, false);
    if (!dlg) return;  // in-browse style: the handler has done the editing
    if (result.isNumber())
        goToIn(alias, long(result.num()));
    else if (std::shared_ptr<uDBF> buffer = bufferOf(result))
        buffer->save();
    else
        goToIn(alias, before);
    setIndexQuietly(*w);
}

void abcMaster::mant_delete(WBrowseCore* window) {
    WBrowseCore* w = window ? window : oWnd.get();
    if (!w || !w->oBrw) return;
    if (!MsgNoYes("Seguro de querer borrar el registro actual", " Atención")) return;
    bool deleted = false;
    {
        EnAlias in(aliasOf(w));
        // A single silent attempt; the lock stays until the next one is taken.
        if (in.open && !EOF_() && RLOCK()) {
            DBDELETE();
            deleted = true;
        }
    }
    if (deleted) {
        w->oBrw->upStable();
        w->oBrw->Refresh();
    }
}

// ---- fresh records ---------------------------------------------------------------------

bool abcMaster::dbAppend() {
    return appendIn(cAlias_, nullptr);
}
bool abcMaster::dbAppend(const std::string& alias) {
    return appendIn(alias.empty() ? cAlias_ : alias, nullptr);
}
bool abcMaster::dbAppend(uDBF& buffer) {
    return appendIn(buffer.cAlias(), &buffer);
}

bool abcMaster::appendIn(const std::string& alias, uDBF* buffer) {
    EnAlias in(alias);
    if (!in.open) return false;
    bool ok = false;
    if (ORDNUMBER("deleted") > 0) {
        const std::string previous = ORDSETFOCUS(Value("deleted"));
        DBGOTOP();
        if (!EOF_() && RLOCK()) {
            // Blanked while still deleted, then recalled under the lock taken again: a lock
            // lost in between leaves a blank deleted record, never an old one brought back.
            if (AREGISTRO(REGVACIO()).logical() && RLOCK()) {
                DBRECALL();
                DBCOMMIT();
                ok = true;
            }
        }
        if (!ok) ok = DBAPPEND();
        ORDSETFOCUS(orderValue(previous));
    } else {
        ok = DBAPPEND();
    }
    if (ok && buffer) buffer->nRegistro = RECNO();
    return ok;
}

// ---- deleting a scope ------------------------------------------------------------------

bool abcMaster::dbDelete(const Value& top, const Value& bottom, const std::string& alias) {
    EnAlias in(alias.empty() ? cAlias_ : alias);
    if (!in.open) return false;
    const bool scoped = !top.isNil();
    Value oldTop, oldBottom;
    if (scoped) {
        oldTop = ORDSCOPE(0, top);
        oldBottom = ORDSCOPE(1, bottom.isNil() ? top : bottom);
    }
    bool all = true;
    DBGOTOP();
    while (!EOF_()) {
        // An order that shows deleted records: they are passed, not deleted again.
        if (DELETED()) {
            DBSKIP(1);
            continue;
        }
        if (!RLOCK()) {
            all = false;
            break;
        }
        const long record = RECNO();
        DBDELETE();
        // Deleted records normally leave the order, so the next one is now the first; when
        // the first is a deleted one the order keeps them, and the walk goes on after it.
        DBGOTOP();
        if (!EOF_() && DELETED()) {
            DBGOTO(record);
            DBSKIP(1);
        }
    }
    if (scoped) {
        ORDSCOPE(0, oldTop);
        ORDSCOPE(1, oldBottom);
    }
    return all;
}

// ---- key check and refresh -------------------------------------------------------------

bool abcMaster::validaClave(const Value& key, const std::string& order, bool adding,
                            const std::string& message, const std::string& alias) {
    bool valid = false;
    {
        EnAlias in(alias.empty() ? cAlias_ : alias);
        if (!in.open) return false;
        const std::string previous = ORDSETFOCUS(Value(order));
        if (!adding) {
            const std::string keyText = INDEXKEY();
            if (Block current = keyText.empty() ? Block() : compileBlock(keyText))
                valid = current() == key;
        }
        if (!valid) {
            // The seek must not move the record being edited or added.
            const long record = RECNO();
            valid = !DBSEEK(key);
            DBGOTO(record);
        }
        ORDSETFOCUS(orderValue(previous));
    }
    if (!valid) MsgAlert(message.empty() ? "Ese registro ya existe" : message, " Atención");
    return valid;
}

void abcMaster::refrescaBrowse(bool accepted, WBrowseCore* window) {
    WBrowseCore* w = window ? window : oWnd.get();
    if (!accepted || !w || !w->oBrw) return;
    tCAbreBrow& b = *w->oBrw;
    {
        EnAlias in(aliasOf(w));
        if (!in.open) return;
        DBCOMMIT();
        DBUNLOCK();
    }
    // The key column may move the row; any other column only redraws it.
    if (b.nColAct == 1) {
        b.upStable();
        b.Refresh();
    } else {
        b.drawSelect();
    }
}
