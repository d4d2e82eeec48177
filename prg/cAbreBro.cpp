// The cell browse: construction, sources, the page kept stable, the record counter, keys,
// movement, the mouse and merges. Drawing is in cAbreBroPaint.cpp, the search in
// cAbreBroSeek.cpp, editing and the meter in cAbreBroEdit.cpp.
#include "cAbreBro.h"

#include <algorithm>
#include <map>

#include "Keyboard.h"
#include "aMensaje.h"
#include "Rdd.h"
#include "TableLayer.h"
#include "Text.h"
#include "Window.h"
#include "Dialog.h"
#include "dlgTemplate.h"

namespace {

std::map<std::string, std::function<void(const BrowseDblClick&)>>& dblClickFunctions() {
    static std::map<std::string, std::function<void(const BrowseDblClick&)>> functions;
    return functions;
}

std::function<void(const BrowseDblClick&)> resolveDblClick(const DblClickSpec& spec) {
    if (spec.callback || spec.functionName.empty()) return spec.callback;
    auto it = dblClickFunctions().find(text::upper(spec.functionName));
    if (it == dblClickFunctions().end()) return {};
    auto f = it->second;
    return f;
}

// Skips up to n rows of the current area, answering the rows actually skipped.
long skipRows(long n) {
    long moved = 0;
    if (n == 0) {
        DBSKIP(0);
    } else if (n > 0) {
        while (moved < n) {
            DBSKIP(1);
            if (EOF_()) {
                DBSKIP(-1);
                break;
            }
            ++moved;
        }
    } else {
        while (moved > n) {
            DBSKIP(-1);
            if (BOF()) break;
            --moved;
        }
    }
    return moved;
}

bool hasOrderBag() {
    return !DBORDERINFO(DBOI_BAGNAME).isNil();
}

std::vector<int> ones(size_t n) {
    return std::vector<int>(n, 1);
}

// Marks a group of `span` columns from `col` (1-based) in a merge row.
void markGroup(std::vector<int>& spec, int col, int span) {
    if (col < 1 || size_t(col) > spec.size()) return;
    spec[size_t(col - 1)] = span;
    for (int k = 1; k < span && size_t(col + k) <= spec.size(); ++k) spec[size_t(col - 1 + k)] = -k;
}

// Marks a group in the merge rows of the header or footer: in row r, or in every row.
void mergeBlock(MergeSpec& spec, size_t blockRows, size_t width, int col, int span, std::optional<int> row) {
    if (spec.rows.empty()) spec.rows.push_back(ones(width));
    if (row && blockRows > 1 && !spec.perRow) {
        spec.rows.resize(blockRows, ones(spec.rows[0].size()));
        spec.perRow = true;
    }
    if (!spec.perRow) {
        if (!row || *row == 1) markGroup(spec.rows[0], col, span);
        return;
    }
    for (size_t r = 0; r < spec.rows.size(); ++r)
        if (!row || size_t(*row) == r + 1) markGroup(spec.rows[r], col, span);
}

}  // namespace

void registerDblClickFunction(const std::string& name, std::function<void(const BrowseDblClick&)> f) {
    dblClickFunctions()[text::upper(name)] = std::move(f);
}

tCAbreBrow::AliasScope::AliasScope(const std::string& alias) : previous(currentAreaNo()) {
    int area = SELECT(alias);
    if (area != 0 && area != previous) DBSELECTAREA(area);
}

tCAbreBrow::AliasScope::~AliasScope() {
    if (currentAreaNo() != previous) DBSELECTAREA(previous);
}

// ---- construction -------------------------------------------------------------------------

tCAbreBrow::tCAbreBrow(TWindowBase& parent, TWBrowseOptions options) : TWBrowse(parent, std::move(options)) {}

namespace {
TWBrowseOptions baseOptions(const CAbreBrowNew& a) {
    TWBrowseOptions o;
    o.rect = Rect{a.nTop, a.nLeft, a.nWidth, a.nHeight};
    // An array-mode source is installed by inicio; meanwhile one row of "".
    o.bLine = a.source.isArrayMode() || !a.source.line ? std::function<BrowseRow()>([] { return BrowseRow{""}; })
                                                        : a.source.line;
    o.aHeaders = a.aHeaders;
    o.aColSizes = a.aColSizes;
    o.bChange = a.bChange;
    o.bLDblClick = resolveDblClick(a.bLDblClick);
    o.bRClicked = a.bRClicked;
    o.oFont = a.oFont;
    o.nClrFore = a.nClrFore;
    o.nClrBack = a.nClrBack;
    o.cMsg = a.cMsg;
    o.lUpdate = a.lUpdate;
    o.cAlias = a.cAlias;
    o.bWhen = a.bWhen;
    o.bValid = a.bValid;
    o.bLClicked = a.bLClicked;
    o.aActions = a.aActions;
    return o;
}
}  // namespace

tCAbreBrow* tCAbreBrow::New(CAbreBrowNew a) {
    TWBrowseOptions o = baseOptions(a);
    if (!a.lPixel) {  // text rows and columns
        TFont f = a.oFont.value_or(TFont());
        o.rect = Rect{a.nTop * f.textHeight(), a.nLeft * f.textWidth("B"), a.nWidth * f.textWidth("B"),
                      a.nHeight * f.textHeight()};
    }
    auto* b = a.oWnd->add<tCAbreBrow>(std::move(o));
    if (!a.source.isArrayMode() && !a.source.line) {
        b->bLine = [b] { return _AFIELDS(*b); };
        if (b->aHeaders.empty() && !b->cAlias.empty())
            b->aHeaders = {b->inAlias([] {
                BrowseRow names;
                for (const FieldDesc& f : DBSTRUCT()) names.push_back(f.name);
                return names;
            })};
    }
    b->uValue1 = a.uValue1;
    b->lMatriz = a.source.isArrayMode();
    b->inicio(a.bSeek, a.lSeekEOF, a.source);
    b->windowCreated();
    return b;
}

tCAbreBrow* tCAbreBrow::ReDefine(CAbreBrowReDefine a) {
    CAbreBrowNew n;
    n.source = a.source;
    n.aHeaders = a.aHeaders;
    n.aColSizes = a.aColSizes;
    n.oWnd = a.oDlg;
    n.cField = a.cField;
    n.uValue1 = a.uValue1;
    n.uValue2 = a.uValue2;
    n.bChange = a.bChange;
    n.bLDblClick = a.bLDblClick;
    n.bRClicked = a.bRClicked;
    n.oFont = a.oFont;
    n.oCursor = a.oCursor;
    n.nClrFore = a.nClrFore;
    n.nClrBack = a.nClrBack;
    n.cMsg = a.cMsg;
    n.lUpdate = a.lUpdate;
    n.cAlias = a.cAlias;
    n.bWhen = a.bWhen;
    n.bValid = a.bValid;
    n.bLClicked = a.bLClicked;
    n.aActions = a.aActions;
    n.bSeek = a.bSeek;
    n.lSeekEOF = a.lSeekEOF;
    // The place of the dialog's control with that id, which the browse replaces.
    if (TControl* placeholder = a.oDlg->control(a.nId)) {
        Rect r = placeholder->pixelRect();
        n.nTop = r.top, n.nLeft = r.left, n.nWidth = r.width, n.nHeight = r.height;
        placeholder->hide();
    } else if (auto* dialog = dynamic_cast<TDialog*>(a.oDlg)) {
        // A place the dialog's template keeps for a browse, in dialog units.
        if (const DlgItem* place = dialog->templateItem(a.nId)) {
            double k = dialog->units() == Units::DialogUnits ? 1 : 2;
            n.nTop = place->rect.top * k, n.nLeft = place->rect.left * k;
            n.nWidth = place->rect.width * k, n.nHeight = place->rect.height * k;
        }
    }
    return New(std::move(n));
}

void tCAbreBrow::inicio(SeekCallback seek, bool seekEOF, const BrowseSource& source) {
    bSeek = std::move(seek);
    if (!bSeek && !lMatriz && !cAlias.empty() && inAlias([] { return hasOrderBag(); }))
        bSeek = [](const Value& v, int) { return v; };
    lSeekEOF = seekEOF;
    if (lMatriz) {
        setArray(source.data, true);
        if (aColSizes.empty()) {
            BrowseRow first = nLen > 0 ? bLine() : (aHeaders.empty() ? BrowseRow{} : aHeaders[0]);
            aColSizes = ColSizes(std::vector<int>(first.size(), 70));
        }
        size_t n = bLine().size();
        if (aUnidas_.empty()) aUnidas_ = ones(n);
        if (aHUnidas_.rows.empty()) aHUnidas_.rows = {ones(n)};
        if (aFUnidas_.rows.empty()) aFUnidas_.rows = {ones(n)};
        return;
    }
    installTableNavigation();
    if (aColSizes.empty() && !cAlias.empty()) aColSizes = ColSizes(fieldWidths());
    if (uValue1.isNil() && !cAlias.empty())
        inAlias([&] {
            if (hasOrderBag() && !ORDNAME().empty()) nLen = ORDKEYCOUNT();
            return 0;
        });
}

// Widths of the alias's fields: the letter "B" as many times as the longer of the field's
// name and length, plus one.
std::vector<int> tCAbreBrow::fieldWidths() {
    return inAlias([this] {
        std::vector<int> widths;
        for (const FieldDesc& f : DBSTRUCT()) {
            size_t len = std::max(text::length(f.name), size_t(f.type == 'M' ? 6 : f.len)) + 1;
            widths.push_back(oFont.textWidth(std::string(len, 'B')));
        }
        return widths;
    });
}

void tCAbreBrow::installTableNavigation() {
    if (cAlias.empty() || cAlias == "ARRAY") return;
    bLogicLen = [this] { return inAlias([] { return ORDNAME().empty() ? LASTREC() : ORDKEYCOUNT(); }); };
    bGoTop = [this] { inAlias([] { return DBGOTOP(); }); };
    bGoBottom = [this] { inAlias([] { return DBGOBOTTOM(); }); };
    bSkip = [this](long n) { return inAlias([n] { return skipRows(n); }); };
}

void tCAbreBrow::Default() {
    if (aHeaders.size() > 1) {
        size_t width = aHeaders[0].size();
        for (size_t r = 1; r < aHeaders.size(); ++r)
            if (aHeaders[r].size() < width) aHeaders[r].resize(width, Value(""));
    }
    TWBrowse::Default();
    nLineHeight = oFont.textHeight();
    nHeaderHeight = nFooterHeight = nLineHeight;
    if (!lFootersSet) {
        aFooters.clear();
        for (const BrowseRow& r : aHeaders) aFooters.emplace_back(r);
    }
    nClrFBack = nClrBackHead;
    nClrFFore = nClrForeHead;
    lOk = false;
    setSeeked("");
    size_t n = std::max(aHeaders.empty() ? 0 : aHeaders[0].size(), bLine ? bLine().size() : 0);
    aUnidas_ = ones(n);
    aHUnidas_ = MergeSpec{{ones(n)}, false};
    aFUnidas_ = MergeSpec{{ones(n)}, false};
}

void tCAbreBrow::setFooters(std::vector<FooterRow> rows) {
    aFooters = std::move(rows);
    lFootersSet = true;
}

void tCAbreBrow::setArray(const Value& source, bool replaceLine) {
    lMatriz = true;
    source_ = source;
    if (source.isArray()) {
        SetArray(source.array(), replaceLine);
    } else if (source.isHash()) {
        HashRef hash = source.hashRef();
        nAt = 1;
        bLogicLen = [hash] { return long(hash->size()); };
        bGoTop = [this] { nAt = 1; };
        bGoBottom = [this, hash] { nAt = std::max<long>(1, long(hash->size())); };
        bSkip = [this, hash](long n) {
            long target = std::clamp(nAt + n, 1L, std::max(1L, long(hash->size())));
            long moved = target - nAt;
            nAt = target;
            return moved;
        };
        if (replaceLine)
            bLine = [this, hash] {
                if (nAt < 1 || size_t(nAt) > hash->size()) return BrowseRow{"", ""};
                const auto& [k, v] = hash->items()[size_t(nAt - 1)];
                return BrowseRow{k.toText(), v.toText()};
            };
    } else if (auto set = std::dynamic_pointer_cast<BrowseRecordSet>(source.object())) {
        bLogicLen = [set] { return set->LastRec(); };
        bGoTop = [this, set] {
            set->GoTop();
            nAt = set->RecNo();
        };
        bGoBottom = [this, set] {
            set->GoBottom();
            nAt = set->RecNo();
        };
        bSkip = [this, set](long n) {
            long moved = set->Skip(n);
            nAt = set->RecNo();
            return moved;
        };
        if (replaceLine) bLine = [set] { return set->aBuffer(); };
        nAt = set->RecNo();
    }
    cAlias = "ARRAY";
    nLen = bLogicLen ? bLogicLen() : 0;
}

void tCAbreBrow::resizeMerges(size_t n) {
    aUnidas_.resize(n, 1);
    for (MergeSpec* m : {&aHUnidas_, &aFUnidas_}) {
        if (m->rows.empty()) m->rows.push_back({});
        for (auto& r : m->rows) r.resize(n, 1);
    }
}

void tCAbreBrow::setCols(std::vector<std::function<Value()>> columns, BrowseRow headers, std::vector<int> sizes) {
    size_t n = columns.size();
    SetCols(std::move(columns), std::move(headers), std::move(sizes));
    resizeMerges(n);
}

void tCAbreBrow::setLine(std::function<BrowseRow()> line, std::optional<std::vector<BrowseRow>> headers,
                         std::optional<ColSizes> sizes) {
    BrowseRow values = line ? line() : BrowseRow{};
    size_t n = values.size();
    if (headers) aHeaders = std::move(*headers);
    if (sizes) aColSizes = std::move(*sizes);
    bLine = std::move(line);
    if (!aColSizes.isCallback() && aColSizes.widths.size() < n) {
        for (size_t c = aColSizes.widths.size(); c < n; ++c) {
            if (!values[c].isText()) {
                aColSizes.widths.push_back(15);
                continue;
            }
            size_t caption = aHeaders.empty() || c >= aHeaders[0].size() ? 0 : text::length(aHeaders[0][c].toText());
            size_t len = std::max(caption, text::length(values[c].text())) + 1;
            aColSizes.widths.push_back(oFont.textWidth(std::string(len, 'B')));
        }
    }
    resizeMerges(n);
    oHScroll->SetRange(1, long(n));
}

// ---- the page kept stable, the counter ------------------------------------------------------

long tCAbreBrow::currentRowId() {
    return isTable() ? inAlias([] { return RECNO(); }) : nAt;
}

void tCAbreBrow::upStable() {
    int line = nRowPos;
    long row = currentRowId();
    auto change = std::move(bChange);
    bChange = nullptr;
    nRowPos = 1;
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen > 1) {
        // Walks from the row on line 1 of a page that ends with the remembered row.
        if (bGoTop) bGoTop();
    }
    int rows = nRowCount();
    bool met = false;
    for (int n = 1; nLen > 0; ++n) {
        if (currentRowId() == row) {
            nRowPos = n;
            met = true;
            break;
        }
        if (n >= rows) break;
        if (Skip(1) != 1) break;
    }
    if (!met) {
        // Past a page without meeting it: back to that row on its old line.
        bool found = false;
        if (nLen > 0 && isTable()) found = inAlias([&] { return DBGOTO(row) && !EOF_(); });
        else if (nLen > 0) {
            long target = std::clamp(row, 1L, nLen);
            nAt = target;
            found = row >= 1 && row <= nLen;
        }
        if (found) {
            nRowPos = std::min(line, rows);
        } else {
            if (bGoBottom) bGoBottom();
            nRowPos = 1;
            if (lMatriz && nAt == 0) nAt = 1;
        }
    }
    bChange = std::move(change);
    if (bChange) bChange(*this);
    Refresh(false);
    lHitTop = false;
    record();
}

long tCAbreBrow::orderPosition() {
    return inAlias([] { return ORDNAME().empty() ? RECNO() : ORDKEYNO(); });
}

void tCAbreBrow::record() {
    if (!oMsgRecNo || !oMsgRecNo->show) return;
    std::string text;
    if (lMatriz || cAlias == "ARRAY") {
        text = std::to_string(nAt) + "/" + std::to_string(bLogicLen ? bLogicLen() : 0);
    } else if (cAlias.empty()) {
        text = "0/0";
    } else {
        text = inAlias([] {
            bool ordered = !ORDNAME().empty();
            long at = ordered ? ORDKEYNO() : RECNO();
            long total = ordered ? ORDKEYCOUNT() : LASTREC();
            return std::to_string(at) + "/" + std::to_string(total);
        });
    }
    oMsgRecNo->show(text);
}

// ---- keys and movement ------------------------------------------------------------------------

void tCAbreBrow::keyChar(int key, int flags) {
    if (key == 13) {
        lDblClick(std::nullopt, std::nullopt, flags, false, false);
    } else if (key != 9 && key != 27) {
        std::string ch = key == 8 || key == 127 ? std::string(1, char(key)) : text::fromCodePoint(char32_t(key));
        seek(ch);
    }
    TWBrowse::keyChar(key, flags);
}

void tCAbreBrow::goTop() {
    TWBrowse::goTop();
    record();
}
void tCAbreBrow::goBottom() {
    TWBrowse::goBottom();
    record();
}
void tCAbreBrow::pageUp() {
    TWBrowse::pageUp();
    record();
}
void tCAbreBrow::pageDown() {
    TWBrowse::pageDown();
    record();
}

void tCAbreBrow::goUp() {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen > 0 && !lHitTop) {
        drawLine();
        if (Skip(-1) == -1) {
            lHitBottom = false;
            if (nRowPos > 1) --nRowPos;
            else Refresh(false);  // the page scrolls one row down
        } else {
            lHitTop = true;
        }
        drawSelect();
        vGoUp();
        if (bChange) bChange(*this);
    }
    record();
}

void tCAbreBrow::goDown() {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen > 0 && !lHitBottom) {
        drawLine();
        if (Skip(1) == 1) {
            lHitTop = false;
            if (nRowPos < nRowCount()) ++nRowPos;
            else Refresh(false);  // the page scrolls one row up
        } else {
            lHitBottom = true;
        }
        drawSelect();
        vGoDown();
        if (bChange) bChange(*this);
    }
    record();
}

// Makes `col` current, scrolling so that it is shown after the frozen columns.
void tCAbreBrow::setFocusColumn(int col) {
    std::vector<int> w = GetColSizes();
    int n = std::max<int>(1, int(w.size()));
    col = std::clamp(col, 1, n);
    auto widthOf = [&](int c) { return c >= 1 && c <= int(w.size()) ? w[size_t(c - 1)] : 0; };
    if (nFreeze > 0 && nColPos <= nFreeze) nColPos = std::min(nFreeze + 1, n);
    if (col > nFreeze) {
        if (col < nColPos) nColPos = col;
        int frozen = 0;
        for (int c = 1; c <= nFreeze; ++c) frozen += widthOf(c);
        while (nColPos < col) {
            int used = frozen;
            for (int c = nColPos; c <= col; ++c) used += widthOf(c);
            if (used <= usableWidth()) break;
            ++nColPos;
        }
    }
    nColAct = col;
    oHScroll->SetRange(1, n);
    oHScroll->SetPos(col);
    Refresh(false);
}

void tCAbreBrow::goLeft() {
    std::vector<int> w = GetColSizes();
    int col = nColAct;
    do {
        if (col <= 1) break;
        --col;
    } while (col > 1 && col <= int(w.size()) && w[size_t(col - 1)] == 0);
    if (col != nColAct) setFocusColumn(col);
    record();
}

void tCAbreBrow::goRight() {
    std::vector<int> w = GetColSizes();
    int n = int(w.size());
    int col = nColAct;
    if (nLen > 0 && col >= 1 && size_t(col) <= aUnidas_.size() && aUnidas_[size_t(col - 1)] > 1)
        col += aUnidas_[size_t(col - 1)] - 1;  // to the group's last column
    if (nFreeze > 0) {
        int frozen = 0;
        for (int c = 1; c <= nFreeze && c <= n; ++c) frozen += w[size_t(c - 1)];
        if (col == nFreeze) {
            nColPos = std::min(nFreeze + 1, std::max(n, 1));
        } else if (frozen >= usableWidth()) {
            if (lCellStyle && col < nFreeze) {
                nColAct = col + 1;
                Refresh(false);
            }
            record();
            return;
        }
    }
    do {
        if (col >= n) break;
        ++col;
    } while (col < n && w[size_t(col - 1)] == 0);
    if (col != nColAct) setFocusColumn(col);
    record();
}

// ---- mouse --------------------------------------------------------------------------------

int tCAbreBrow::nWRow(int pixelRow) {
    if (nLineHeight <= 0) return 0;
    if (pixelRow < nHHeight()) return 0;
    return (pixelRow - nHHeight()) / nLineHeight + 1;
}

int tCAbreBrow::lButtonDown(int row, int col, int flags) {
    if (lDrag) return TWBrowse::lButtonDown(row, col, flags);
    int l = nWRow(row);
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen == 0 && l > 0) return 0;
    if (lMChange) {
        for (const ColumnSpan& s : columnLayout()) {
            if (std::abs(col - s.right) <= 1) {
                resizeCol_ = s.col;
                resizeStartX_ = s.left;
                Capture();
                VertLine(s.right);
                return 0;
            }
        }
    }
    SetFocus();
    if (l == 0) {
        int c = nAtCol(col);
        if (c >= 1 && size_t(c) <= aActions.size() && aActions[size_t(c - 1)]) {
            LineArgs head{0, aHeaders.empty() ? BrowseRow{} : aHeaders[0], nClrForeHead, nClrBackHead};
            head.justify = aHJustify.empty() ? aJustify : aHJustify;
            head.selectedCol = c;
            head.lines = nHLineas;
            head.merge = getHUnidas(1);
            head.kind = 1;
            wBrwLine(nullptr, head);
            aActions[size_t(c - 1)](*this, row, col);
            head.selectedCol = 0;
            head.justify.clear();
            wBrwLine(nullptr, head);
        } else {
            MessageBeep();
        }
    } else if (l <= nRowCount() && l != nRowPos) {
        drawLine();
        long moved = Skip(l - nRowPos);
        nRowPos += int(moved);
        oVScroll->SetPos(oVScroll->GetPos() + moved);
        if (lCellStyle) {
            int c = nAtCol(col);
            if (c >= 1) {
                nColAct = c;
                if (nFreeze > 0 && nColPos <= nFreeze) nColPos = nFreeze + 1;
                oHScroll->SetPos(c);
            }
        }
        drawSelect();
        lHitTop = lHitBottom = false;
        if (bChange) bChange(*this);
    } else if (l == nRowPos && lCellStyle) {
        int c = nAtCol(col);
        if (c >= 1) nColAct = c;
        Refresh(false);
    }
    TWBrowse::lButtonDown(row, col, flags);
    record();
    return 0;
}

int tCAbreBrow::lButtonUp(int row, int col, int flags) {
    if (resizeCol_ > 0) {
        int widthNow = std::max(1, col - resizeStartX_ + 1);
        if (!aColSizes.isCallback() && size_t(resizeCol_) <= aColSizes.widths.size())
            aColSizes.widths[size_t(resizeCol_ - 1)] = widthNow;
        resizeCol_ = 0;
        VertLine(-1);
        setResizeCursor(false);
        ReleaseCapture();
        Refresh(false);
        return 0;
    }
    return TWBrowse::lButtonUp(row, col, flags);
}

int tCAbreBrow::mouseMove(int row, int col, int flags) {
    if (lDrag) return TWBrowse::mouseMove(row, col, flags);
    if (resizeCol_ > 0) {
        VertLine(std::max(col, resizeStartX_ + 1));
        setResizeCursor(true);
        return 0;
    }
    if (lMChange) {
        bool onEdge = false;
        for (const ColumnSpan& s : columnLayout()) onEdge = onEdge || std::abs(col - s.right) <= 1;
        setResizeCursor(onEdge);
        if (onEdge) return 0;
    }
    return TWBrowse::mouseMove(row, col, flags);
}

int tCAbreBrow::nAtCol(int x) {
    std::vector<int> w = GetColSizes();
    int n = int(w.size());
    if (nFreeze <= 0) {
        int sum = 0;
        for (int c = nColPos; c <= n; ++c) {
            sum += w[size_t(c - 1)];
            if (sum >= x) return c;
        }
        return n;
    }
    int sum = 0, passed = 0;
    for (int c = 1; c <= nFreeze && c <= n; ++c) {
        sum += w[size_t(c - 1)];
        ++passed;
        if (sum >= x) return passed;
    }
    for (int c = std::max(nColPos - 1, nFreeze) + 1; c <= n; ++c) {
        sum += w[size_t(c - 1)];
        passed = c;
        if (sum >= x) return passed;
    }
    return passed;
}

bool tCAbreBrow::isColVisible(int col) {
    if (col < nColPos) return false;
    std::vector<int> w = GetColSizes();
    int usable = usableWidth();
    if (nFreeze > 0 && nColPos > nFreeze) {
        int frozen = 0;
        for (int c = 1; c <= nFreeze && c <= int(w.size()); ++c) frozen += w[size_t(c - 1)];
        if (frozen > usable) return false;
    }
    int sum = 0;
    for (int c = nColPos; c <= int(w.size()); ++c) {
        sum += w[size_t(c - 1)];
        if (sum > usable) return false;
        if (c == col) return true;
    }
    return false;
}

// ---- merges -------------------------------------------------------------------------------

void tCAbreBrow::unirCeldas(int col, int span) {
    aUnidas_.resize(bLine ? bLine().size() : aUnidas_.size(), 1);
    markGroup(aUnidas_, col, span);
}

void tCAbreBrow::unirHead(int col, int span, std::optional<int> row) {
    size_t width = aHeaders.empty() ? 0 : aHeaders[0].size();
    mergeBlock(aHUnidas_, aHeaders.size(), width, col, span, row);
}

void tCAbreBrow::unirFoot(int col, int span, std::optional<int> row) {
    size_t width = aHeaders.empty() ? 0 : aHeaders[0].size();
    mergeBlock(aFUnidas_, size_t(nFooterRows()), width, col, span, row);
}

const std::vector<int>& tCAbreBrow::getUnidas() {
    return aUnidas_;
}

std::vector<int> tCAbreBrow::getHUnidas(int row) {
    if (aHUnidas_.rows.empty()) return {};
    return aHUnidas_.perRow ? aHUnidas_.rows[size_t(std::clamp<int>(row, 1, int(aHUnidas_.rows.size())) - 1)]
                            : aHUnidas_.rows[0];
}

std::vector<int> tCAbreBrow::getFUnidas(int row) {
    if (aFUnidas_.rows.empty()) return {};
    return aFUnidas_.perRow ? aFUnidas_.rows[size_t(std::clamp<int>(row, 1, int(aFUnidas_.rows.size())) - 1)]
                            : aFUnidas_.rows[0];
}

bool tCAbreBrow::atBof() {
    return isTable() && inAlias([] { return BOF(); });
}
bool tCAbreBrow::atEof() {
    return isTable() && inAlias([] { return EOF_(); });
}

// ---- the default row source ---------------------------------------------------------------

BrowseRow _AFIELDS(tCAbreBrow& b) {
    if (b.cAlias.empty()) return {};
    int previous = currentAreaNo();
    int area = SELECT(b.cAlias);
    if (area == 0) return {};
    DBSELECTAREA(area);
    int n = FCOUNT();
    BrowseRow row(size_t(n), Value(""));
    std::vector<int> w = b.GetColSizes();
    if (!w.empty()) {
        // Only the fields of the columns that fit are read.
        int used = 0;
        auto show = [&](int c) {
            if (c < 1 || c > n) return;
            Value v = FIELDGET(c);
            if (v.type() == 'M') row[size_t(c - 1)] = v.text().empty() ? "<memo>" : "<Memo>";
            else row[size_t(c - 1)] = mensajeText(v);
        };
        for (int c = 1; c <= b.nFreeze && c <= n; ++c) {
            show(c);
            used += c <= int(w.size()) ? w[size_t(c - 1)] : 0;
        }
        for (int c = std::max(b.nColPos, b.nFreeze + 1); c <= n && used <= b.width(); ++c) {
            show(c);
            used += c <= int(w.size()) ? w[size_t(c - 1)] : 0;
        }
    }
    if (previous != area) DBSELECTAREA(previous);
    return row;
}
