// The cell browse's drawing: the geometry of header, body and footer lines, the page, the
// cells of a line with their merges, colours, bitmaps and rules.
#include <algorithm>

#include "Resources.h"
#include "System.h"
#include "cAbreBro.h"

namespace {

constexpr Color kGrey = 8421504;  // red, green and blue 128

int alignOf(int dtFlags) {
    int a = (dtFlags & DT_RIGHT) ? TextAlign::Right : (dtFlags & DT_CENTER) ? TextAlign::Center : TextAlign::Left;
    if (dtFlags & DT_SINGLELINE) a |= TextAlign::SingleLine | TextAlign::VCenter;
    if (dtFlags & DT_WORDBREAK) a |= TextAlign::WordBreak;
    return a;
}

// A box drawn with light top-left and dark bottom-right edges (raised), or the other way.
void box3d(Canvas& dc, int top, int left, int bottom, int right, bool raised) {
    Color light = colors::white, dark = kGrey;
    dc.setPen(raised ? light : dark);
    dc.line({double(left), double(bottom)}, {double(left), double(top)});
    dc.line({double(left), double(top)}, {double(right), double(top)});
    dc.setPen(raised ? dark : light);
    dc.line({double(right), double(top)}, {double(right), double(bottom)});
    dc.line({double(right), double(bottom)}, {double(left), double(bottom)});
}

void frame(Canvas& dc, int top, int left, int bottom, int right, Color pen, PenStyle style = PenStyle::Solid) {
    dc.setPen(pen, 1, style);
    dc.setBrush(std::nullopt);
    dc.rectangle(Rect{double(top), double(left), double(right - left), double(bottom - top)});
}

BrowseRow footerValues(const FooterRow& row, tCAbreBrow& b) {
    if (auto f = std::get_if<std::function<BrowseRow(tCAbreBrow&)>>(&row)) return *f ? (*f)(b) : BrowseRow{};
    return std::get<BrowseRow>(row);
}

}  // namespace

int DEFINESTYLE(const Value& justify, bool singleLine) {
    int flags = DT_NOPREFIX | DT_EDITCONTROL | DT_MODIFYSTRING;
    if (justify.isLogical()) flags |= justify.logical() ? DT_RIGHT : 0;
    else if (justify.isNumber()) flags |= justify.num() == 1 ? DT_RIGHT : justify.num() == 2 ? DT_CENTER : 0;
    flags |= singleLine ? DT_SINGLELINE | DT_VCENTER : DT_WORDBREAK;
    return flags;
}

// ---- geometry -------------------------------------------------------------------------------

int tCAbreBrow::nHHeight() {
    return lDrawHeaders ? nHeaderHeight * int(aHeaders.size()) : 0;
}

int tCAbreBrow::nFooterRows() const {
    return aFooters.empty() ? 1 : int(aFooters.size());
}

int tCAbreBrow::nFHeight() {
    return lDrawFooters ? nFooterHeight * nFooterRows() : 0;
}

int tCAbreBrow::nRowCount() {
    if (nLineHeight <= 0) return 1;
    int scroll = hasHScroll() ? scrollBarWidth() : 0;
    return std::max(0, (height() - scroll - nHHeight() - nFHeight() - 2) / nLineHeight);
}

std::pair<int, int> tCAbreBrow::lineExtent(int kind, int line) {
    int top = 0, h = nLineHeight;
    if (kind == 1) {
        top = line * nHeaderHeight;
        h = nHeaderHeight;
    } else if (kind == 3) {
        int below = hasHScroll() ? scrollBarWidth() + 3 : 3;
        top = height() - nFooterHeight * line - below;
        h = nFooterHeight;
    } else {
        top = nHHeight() + nLineHeight * (line - 1);
    }
    return {top, top + h - 1};
}

int tCAbreBrow::usableWidth() {
    bool bar = hasVScroll() && nLen > 1;
    return width() - (bar ? scrollBarWidth() + 3 : 0);
}

std::vector<tCAbreBrow::ColumnSpan> tCAbreBrow::columnLayout() {
    std::vector<int> w = GetColSizes();
    int n = int(w.size()), usable = usableWidth();
    std::vector<ColumnSpan> spans;
    int previousRight = -1;
    auto place = [&](int c) {
        int left = previousRight + 1;
        if (left > usable) return false;
        int right = c == n ? usable : std::min(left + w[size_t(c - 1)] - 1, usable);
        spans.push_back({c, left, right});
        previousRight = right;
        return true;
    };
    for (int c = 1; c <= nFreeze && c <= n; ++c)
        if (!place(c)) return spans;
    for (int c = nFreeze > 0 ? std::max(nColPos, nFreeze + 1) : nColPos; c <= n; ++c)
        if (!place(c)) break;
    return spans;
}

Rect tCAbreBrow::cellRect(int col) {
    auto [top, bottom] = lineExtent(2, nRowPos);
    for (const ColumnSpan& s : columnLayout())
        if (s.col == col) return Rect{double(top), double(s.left), double(s.right - s.left + 1), double(bottom - top + 1)};
    return Rect{double(top), 0, 0, double(bottom - top + 1)};
}

// ---- the page ---------------------------------------------------------------------------------

int tCAbreBrow::paint() {
    // Row callbacks read the current work area: the browsed one while the page is drawn.
    std::optional<AliasScope> area;
    if (isTable()) area.emplace(cAlias);
    Canvas& dc = GetDC();
    dc.fillRect(Rect{0, 0, double(width()), double(height())}, oBrush);
    if (lIconView) {
        DrawIcons();
        ReleaseDC();
        return 0;
    }
    std::optional<bool> bofOnFirstLine;
    if (isTable() && nRowPos == 1 && !atEof()) {
        bool moved = Skip(-1) == -1;
        if (moved) Skip(1);
        bofOnFirstLine = !moved;
    }
    if (lDrawHeaders) drawHead();
    walkPage([this](int line) { drawLine(line); });
    oVScroll->SetRange(1, std::max(1L, nLen));
    if (nLen > 0) drawSelect();
    if (isTable()) {
        lHitTop = bofOnFirstLine.value_or(atBof());
        lHitBottom = atEof();
    }
    if (lDrawFooters) drawFoot();
    record();
    ReleaseDC();
    return 0;
}

tCAbreBrow::LineArgs tCAbreBrow::bodyLineArgs(int line) {
    LineArgs a;
    a.line = line;
    a.values = bLine ? bLine() : BrowseRow{};
    a.textColor = nClrText;
    a.backColor = nClrPane;
    a.justify = aJustify;
    a.lines = nLineas;
    a.transparent = lTransparent;
    a.merge = getUnidas();
    a.kind = 2;
    return a;
}

tCAbreBrow::LineArgs tCAbreBrow::headLineArgs(int row) {
    LineArgs a;
    a.line = row;
    a.values = aHeaders[size_t(row)];
    a.textColor = nClrForeHead;
    a.backColor = nClrBackHead;
    a.justify = aHJustify.empty() ? aJustify : aHJustify;
    a.lines = nHLineas;
    a.merge = getHUnidas(row + 1);
    a.kind = 1;
    return a;
}

tCAbreBrow::LineArgs tCAbreBrow::footLineArgs(int i) {
    LineArgs a;
    a.line = int(aFooters.size()) - i + 1;
    a.values = footerValues(aFooters[size_t(i - 1)], *this);
    a.textColor = nClrFFore;
    a.backColor = nClrFBack;
    a.justify = aFJustify.empty() ? aJustify : aFJustify;
    a.lines = nFLineas;
    a.merge = getFUnidas(i);
    a.kind = 3;
    return a;
}

void tCAbreBrow::drawLine(int line) {
    std::optional<AliasScope> area;
    if (isTable()) area.emplace(cAlias);
    wBrwLine(nullptr, bodyLineArgs(line > 0 ? line : nRowPos));
}

void tCAbreBrow::drawSelect() {
    std::optional<AliasScope> area;
    if (isTable()) area.emplace(cAlias);
    LineArgs a;
    a.line = nRowPos;
    a.values = bLine ? bLine() : BrowseRow{};
    a.justify = aJustify;
    a.lines = nLineas;
    a.merge = getUnidas();
    a.kind = 2;
    if (lCellStyle) {
        a.textColor = nClrText;
        a.backColor = lFocused ? nClrPane : ColorSpec(kGrey);
        a.selectedCol = nColAct;
    } else {
        a.textColor = nClrForeFocus;
        a.backColor = lFocused ? nClrBackFocus : ColorSpec(kGrey);
    }
    wBrwLine(nullptr, a);
}

void tCAbreBrow::drawHead() {
    for (size_t r = 0; r < aHeaders.size(); ++r) wBrwLine(nullptr, headLineArgs(int(r)));
}

void tCAbreBrow::drawFoot() {
    for (int i = 1; i <= int(aFooters.size()); ++i) wBrwLine(nullptr, footLineArgs(i));
}

// ---- one line -----------------------------------------------------------------------------------

void tCAbreBrow::wBrwLine(Canvas* given, const LineArgs& a) {
    Canvas& dc = given ? *given : GetDC();
    std::vector<int> w = GetColSizes();
    int n = int(w.size());
    auto [top, bottom] = a.top ? std::pair(*a.top, *a.top + a.height.value_or(nLineHeight) - 1)
                               : lineExtent(a.kind, a.line);
    bool header = a.kind == 1;
    bool callbackSizes = a.callbackSizes || aColSizes.isCallback();
    int usable = a.width ? *a.width : usableWidth();
    bool widen = !header && (nLineStyle == 0 || nLineStyle == 7 || nLineStyle == 8);
    Color emptyBack = header ? sysColorBtnFace() : sysColorWindow();
    Color emptyText = sysColorBtnText();
    auto widthOf = [&](int c) { return c >= 1 && c <= n ? w[size_t(c - 1)] : 0; };
    auto valueOf = [&](int c) { return c >= 1 && size_t(c) <= a.values.size() ? a.values[size_t(c - 1)] : Value(""); };

    int previousRight = -1;
    auto drawFrom = [&](int c, int last) {
        while (c <= last) {
            // The cell: column c alone, or the part of a merged group from c on.
            int first = c, span = 1;
            int entry = c >= 1 && size_t(c) <= a.merge.size() ? a.merge[size_t(c - 1)] : 1;
            if (entry < 0) {
                first = c + entry;
                int groupSpan = first >= 1 && size_t(first) <= a.merge.size() ? a.merge[size_t(first - 1)] : 1;
                span = std::max(1, groupSpan + entry);
            } else if (entry > 1) {
                span = entry;
            }
            int end = std::min(c + span - 1, n);
            int cellWidth = 0;
            for (int k = c; k <= end; ++k) cellWidth += widthOf(k);
            int left = previousRight + 1;
            if (left > usable) return false;
            int right = end == n ? usable : std::min(left + cellWidth - 1, usable);
            previousRight = right;
            c = end + 1;

            Value v = valueOf(first);
            bool selected = a.selectedCol != 0 && a.selectedCol >= first && a.selectedCol <= end;
            Color back = selected ? nClrBackFocus.of(first, a.values).value_or(emptyBack)
                                  : a.backColor.of(first, a.values).value_or(emptyBack);
            int fillRight = widen ? right + 2 : right;
            Rect fill{double(top), double(left), double(fillRight - left + 1), double(bottom - top + 1)};
            if (v.isNumber()) {
                dc.fillRect(fill, back);
                if (const Picture* p = memBitmap(int(v.num())))
                    dc.picture(*p, Rect{double(top), double(left), double(std::max(0, right - left - 1)),
                                        double(bottom - top + 1)});
            } else {
                Color fore = selected ? nClrForeFocus.of(first, a.values).value_or(emptyText)
                                      : a.textColor.of(first, a.values).value_or(emptyText);
                dc.setTextColor(fore);
                std::string s = v.toText();
                if (v.isNil()) s.clear();
                if (callbackSizes) {
                    dc.text(Rect{double(top), double(left + 4), double(std::max(0, right - left - 3)),
                                 double(bottom - top + 1)},
                            s, TextAlign::Left | TextAlign::SingleLine | TextAlign::VCenter);
                    continue;
                }
                if (!a.transparent || selected) dc.fillRect(fill, back);
                Value justify = first >= 1 && size_t(first) <= a.justify.size() ? a.justify[size_t(first - 1)] : Value();
                if (nLineStyle == 4 && !header) dc.setTextColor(colors::black);
                Rect textRect{fill.top, fill.left, std::max(0.0, fill.width - 2), fill.height};
                dc.text(textRect, s, alignOf(DEFINESTYLE(justify, a.lines == 1)));
            }
            if (callbackSizes) continue;
            if (header) {
                box3d(dc, top - 1, left - 1, bottom + 1, right + 1, false);
                box3d(dc, top, left, bottom, right, true);
                continue;
            }
            switch (nLineStyle) {
                case 1: frame(dc, top - 1, left - 1, bottom, right, colors::black); break;
                case 2:
                    dc.setPen(kGrey);
                    dc.line({double(left - 2), double(top - 2)}, {double(left - 2), double(bottom)});
                    dc.line({double(left - 2), double(bottom)}, {double(right), double(bottom)});
                    break;
                case 3: box3d(dc, top, left, bottom, right, true); break;
                case 4: frame(dc, top - 1, left - 1, bottom, right, colors::black, PenStyle::Dot); break;
                case 5:
                case 6:
                    dc.setPen(nLineStyle == 5 ? colors::black : kGrey);
                    dc.line({double(left - 1), double(top - 2)}, {double(left - 1), double(bottom)});
                    break;
                case 7:
                case 8:
                    dc.setPen(nLineStyle == 7 ? colors::black : kGrey);
                    dc.line({double(left - 2), double(bottom)}, {double(right), double(bottom)});
                    break;
                default: break;
            }
        }
        return true;
    };
    bool more = true;
    int freeze = a.allColumns ? 0 : nFreeze;
    if (freeze > 0) more = drawFrom(1, std::min(freeze, n));
    if (more) drawFrom(a.allColumns ? 1 : freeze > 0 ? std::max(nColPos, freeze + 1) : nColPos, n);
    if (!given) ReleaseDC();
}
