#include "WBrowse.h"

#include <algorithm>

#include "System.h"
#include "Window.h"
#include "internal/BrowseWidget.h"
#include "internal/PainterCanvas.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

// ---- scroll bars ------------------------------------------------------------------------

void TScrollBar::SetPos(long pos) {
    pos_ = std::clamp(pos, nMin, std::max(nMin, nMax));
    if (changed) changed();
}

void TScrollBar::SetRange(long min, long max) {
    nMin = min;
    nMax = std::max(min, max);
    SetPos(pos_);
}

// ---- device context ---------------------------------------------------------------------

// The canvas the grid draws on: a redirection (paintTo, tests) or the backing image.
struct TWBrowse::Dc {
    Canvas* redirect = nullptr;
    int depth = 0;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<PainterCanvas> canvas;
};

namespace {
BrowseWidget* widgetOf(const TWBrowse& b) {
    return static_cast<BrowseWidget*>(b.impl().widget.data());
}

std::unique_ptr<ControlImpl> browseImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new BrowseWidget(parent.impl().client);
    return impl;
}
}  // namespace

TWBrowse::TWBrowse(TWindowBase& parent, TWBrowseOptions o)
    : TControl(parent, o.id, o.rect, browseImpl(parent)), dc_(std::make_unique<Dc>()) {
    bLine = std::move(o.bLine);
    aHeaders = std::move(o.aHeaders);
    aColSizes = std::move(o.aColSizes);
    bChange = std::move(o.bChange);
    bLDblClick = std::move(o.bLDblClick);
    bRClicked = std::move(o.bRClicked);
    bLClicked = std::move(o.bLClicked);
    oFont = o.oFont.value_or(TFont());
    nClrText = o.nClrFore.empty() ? ColorSpec(colors::black) : o.nClrFore;
    nClrPane = o.nClrBack.empty() ? ColorSpec(colors::white) : o.nClrBack;
    nClrForeHead = sysColorBtnText();
    nClrBackHead = sysColorBtnFace();
    nClrForeFocus = colors::white;
    nClrBackFocus = RGB(0, 0, 128);
    cMsg = std::move(o.cMsg);
    lUpdate = o.lUpdate;
    cAlias = std::move(o.cAlias);
    aActions = std::move(o.aActions);
    setFont(oFont);
    vScroll_ = std::make_unique<TScrollBar>(true);
    hScroll_ = std::make_unique<TScrollBar>(false);
    oVScroll = vScroll_.get();
    oHScroll = hScroll_.get();
    // Until a derived grid or a source says otherwise, the rows are an empty array.
    std::string alias = cAlias;
    SetArray(std::make_shared<Array>(), !bLine);
    cAlias = alias;
    attachWidgetHooks();
}

TWBrowse::~TWBrowse() {
    if (auto* w = widgetOf(*this)) w->detach();
}

void TWBrowse::attachWidgetHooks() {
    BrowseWidget* w = widgetOf(*this);
    w->attach(this);
    oVScroll->changed = [this] { widgetOf(*this)->showScroll(*oVScroll); };
    oHScroll->changed = [this] { widgetOf(*this)->showScroll(*oHScroll); };
}

void TWBrowse::windowCreated() {
    if (created_) return;
    created_ = true;
    Default();
}

// ---- array mode -------------------------------------------------------------------------

void TWBrowse::SetArray(ArrayRef rows, bool replaceLine) {
    array_ = std::move(rows);
    cAlias = "ARRAY";
    nAt = 1;
    bLogicLen = [this] { return long(array_->size()); };
    bGoTop = [this] { nAt = 1; };
    bGoBottom = [this] { nAt = std::max<long>(1, long(array_->size())); };
    bSkip = [this](long n) {
        long len = long(array_->size());
        long target = std::clamp(nAt + n, 1L, std::max(1L, len));
        long moved = target - nAt;
        nAt = target;
        return moved;
    };
    if (!replaceLine) return;
    bLine = [this] {
        if (nAt < 1 || nAt > long(array_->size())) return BrowseRow{};
        const Value& row = (*array_)[size_t(nAt - 1)];
        return row.isArray() ? BrowseRow(*row.array()) : BrowseRow{row};
    };
}

// ---- movement ---------------------------------------------------------------------------

long TWBrowse::Skip(long n) {
    return bSkip ? bSkip(n) : 0;
}

void TWBrowse::goUp() {
    if (Skip(-1) == -1) {
        lHitBottom = false;
        nRowPos = std::max(1, nRowPos - 1);
        vGoUp();
        Refresh(false);
        if (bChange) bChange(*this);
    } else {
        lHitTop = true;
    }
}

void TWBrowse::goDown() {
    if (Skip(1) == 1) {
        lHitTop = false;
        nRowPos = std::min(nRowCount(), nRowPos + 1);
        vGoDown();
        Refresh(false);
        if (bChange) bChange(*this);
    } else {
        lHitBottom = true;
    }
}

void TWBrowse::goLeft() {
    if (nColAct > 1) GoToCol(nColAct - 1);
}

void TWBrowse::goRight() {
    size_t n = bLine ? bLine().size() : 0;
    if (size_t(nColAct) < n) GoToCol(nColAct + 1);
}

void TWBrowse::GoToCol(int col) {
    size_t n = std::max<size_t>(1, bLine ? bLine().size() : 1);
    col = std::clamp(col, 1, int(n));
    nColAct = col;
    if (col < nColPos) nColPos = col;
    // Scrolls right until the column ends inside the window.
    std::vector<int> w = GetColSizes();
    auto widthOf = [&](int c) { return c >= 1 && size_t(c) <= w.size() ? w[size_t(c - 1)] : 0; };
    while (nColPos < col) {
        int used = 0;
        for (int c = nColPos; c <= col; ++c) used += widthOf(c);
        if (used <= width()) break;
        ++nColPos;
    }
    oHScroll->SetRange(1, long(n));
    oHScroll->SetPos(col);
    Refresh(false);
}

void TWBrowse::goTop() {
    if (bGoTop) bGoTop();
    nRowPos = 1;
    lHitTop = true;
    lHitBottom = false;
    vSetPos(1);
    Refresh(false);
    if (bChange) bChange(*this);
}

void TWBrowse::goBottom() {
    if (bGoBottom) bGoBottom();
    nLen = bLogicLen ? bLogicLen() : 0;
    nRowPos = int(std::clamp<long>(nLen, 1, nRowCount()));
    lHitTop = false;
    lHitBottom = true;
    vSetPos(nLen);
    Refresh(false);
    if (bChange) bChange(*this);
}

void TWBrowse::pageUp() {
    long page = std::max(1, nRowCount());
    long moved = Skip(-page);
    if (moved == 0) {
        lHitTop = true;
        return;
    }
    lHitBottom = false;
    vSetPos(vGetPos() + moved);
    Refresh(false);
    if (bChange) bChange(*this);
}

void TWBrowse::pageDown() {
    long page = std::max(1, nRowCount());
    long moved = Skip(page);
    if (moved == 0) {
        lHitBottom = true;
        return;
    }
    lHitTop = false;
    // Short of a page: the end is on this page, shown as the last page.
    if (moved < page) nRowPos = nRowCount();
    vSetPos(vGetPos() + moved);
    Refresh(false);
    if (bChange) bChange(*this);
}

// The thumb is dragged in small steps, so the walk starts from the nearest of the current
// row (the bar's position), the top and the bottom.
void TWBrowse::vScrollTo(long pos) {
    nLen = bLogicLen ? bLogicLen() : 0;
    pos = std::clamp(pos, 1L, std::max(1L, nLen));
    long here = vGetPos(), fromHere = std::labs(pos - here), fromBottom = nLen - pos;
    long at = pos;
    if (fromHere <= pos - 1 && fromHere <= fromBottom) {
        at = here + Skip(pos - here);
    } else if (pos - 1 <= fromBottom) {
        if (bGoTop) bGoTop();
        at = 1 + Skip(pos - 1);
    } else {
        if (bGoBottom) bGoBottom();
        at = nLen + Skip(pos - nLen);
    }
    lHitTop = at <= 1;
    lHitBottom = at >= nLen;
    vSetPos(at);
    Refresh(false);
    if (bChange) bChange(*this);
}

void TWBrowse::vSetPos(long pos) {
    oVScroll->SetRange(1, std::max(1L, nLen));
    oVScroll->SetPos(pos);
}
long TWBrowse::vGetPos() const {
    return oVScroll->GetPos();
}
void TWBrowse::vGoUp() {
    oVScroll->GoUp();
}
void TWBrowse::vGoDown() {
    oVScroll->GoDown();
}

// ---- drawing ----------------------------------------------------------------------------

void TWBrowse::Refresh(bool) {
    DispBegin();
    paint();
    DispEnd();
}

Canvas& TWBrowse::GetDC() {
    ++dc_->depth;
    if (dc_->redirect) return *dc_->redirect;
    if (!dc_->canvas) {
        QImage& image = widgetOf(*this)->backing();
        dc_->painter = std::make_unique<QPainter>(&image);
        dc_->canvas = std::make_unique<PainterCanvas>(*dc_->painter);
        dc_->canvas->setFont(oFont.spec());
    }
    return *dc_->canvas;
}

void TWBrowse::ReleaseDC() {
    if (dc_->depth > 0 && --dc_->depth > 0) return;
    if (dc_->canvas) {
        dc_->canvas.reset();
        dc_->painter.reset();
        widgetOf(*this)->update();
    }
}

void TWBrowse::paintTo(Canvas& canvas) {
    Canvas* before = dc_->redirect;
    int depth = dc_->depth;
    dc_->redirect = &canvas;
    dc_->depth = 0;
    canvas.setFont(oFont.spec());
    paint();
    dc_->redirect = before;
    dc_->depth = depth;
}

int TWBrowse::lineHeight() const {
    return std::max(1, oFont.textHeight() + 2);
}

int TWBrowse::headerHeight() const {
    return aHeaders.empty() ? 0 : lineHeight();
}

int TWBrowse::nRowCount() {
    int h = height() - headerHeight() - (hasHScroll() ? scrollBarWidth() : 0);
    return std::max(1, h / lineHeight());
}

Color TWBrowse::colorOf(const ColorSpec& spec, int col, const BrowseRow& row, Color fallback) {
    return spec.of(col, row).value_or(fallback);
}

void TWBrowse::drawPlainLine(Canvas& dc, int line, bool selected) {
    BrowseRow row = bLine ? bLine() : BrowseRow{};
    std::vector<int> w = GetColSizes();
    int top = headerHeight() + (line - 1) * lineHeight();
    int x = 0;
    for (size_t c = size_t(nColPos); c <= row.size() && x < width(); ++c) {
        int cw = c <= w.size() ? w[c - 1] : 70;
        Rect r{double(top), double(x), double(cw), double(lineHeight())};
        bool focus = selected && (!lCellStyle || int(c) == nColAct);
        dc.fillRect(r, colorOf(focus ? nClrBackFocus : nClrPane, int(c), row, colors::white));
        dc.setTextColor(colorOf(focus ? nClrForeFocus : nClrText, int(c), row, colors::black));
        dc.text(Rect{r.top, r.left + 2, r.width - 4, r.height}, row[c - 1].toText(),
                TextAlign::SingleLine | TextAlign::VCenter);
        x += cw;
    }
}

// The base grid: one header row, the rows of the page, the selection.
int TWBrowse::paint() {
    Canvas& dc = GetDC();
    dc.fillRect(Rect{0, 0, double(width()), double(height())}, oBrush);
    if (!aHeaders.empty()) {
        std::vector<int> w = GetColSizes();
        int x = 0;
        for (size_t c = size_t(nColPos); c <= aHeaders[0].size(); ++c) {
            int cw = c <= w.size() ? w[c - 1] : 70;
            Rect r{0, double(x), double(cw), double(lineHeight())};
            dc.fillRect(r, colorOf(nClrBackHead, int(c), aHeaders[0], sysColorBtnFace()));
            dc.setTextColor(colorOf(nClrForeHead, int(c), aHeaders[0], sysColorBtnText()));
            dc.text(r, aHeaders[0][c - 1].toText(), TextAlign::SingleLine | TextAlign::VCenter);
            x += cw;
        }
    }
    walkPage([&](int line) { drawPlainLine(dc, line, false); });
    if (nLen > 0) drawPlainLine(dc, nRowPos, true);
    ReleaseDC();
    return 0;
}

int TWBrowse::walkPage(const std::function<void(int line)>& drawLine) {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen <= 0) return 0;
    // Up to the row shown on line 1; fewer rows above the selection than its line puts it higher.
    long up = -Skip(1 - nRowPos);
    nRowPos = int(up) + 1;
    int rows = nRowCount(), drawn = 0;
    long forward = 0;
    for (int line = 1; line <= rows; ++line) {
        drawLine(line);
        ++drawn;
        if (line == rows || Skip(1) != 1) break;
        ++forward;
    }
    Skip(up - forward);
    if (nLen < nRowPos) nRowPos = int(nLen);
    return drawn;
}

void TWBrowse::DrawIcons() {
    Canvas& dc = GetDC();
    dc.fillRect(Rect{0, 0, double(width()), double(height())}, oBrush);
    ReleaseDC();
}

void TWBrowse::VertLine(int x) {
    widgetOf(*this)->setResizeLine(x);
}
void TWBrowse::Capture() {
    lCaptured = true;
    widgetOf(*this)->grabMouse();
}
void TWBrowse::ReleaseCapture() {
    lCaptured = false;
    widgetOf(*this)->releaseMouse();
}
void TWBrowse::setResizeCursor(bool on) {
    widgetOf(*this)->setCursor(on ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

// ---- layout -----------------------------------------------------------------------------

std::vector<int> TWBrowse::GetColSizes() const {
    return aColSizes.callback ? aColSizes.callback() : aColSizes.widths;
}

void TWBrowse::SetCols(std::vector<std::function<Value()>> columns, BrowseRow headers, std::vector<int> sizes) {
    auto cols = std::make_shared<std::vector<std::function<Value()>>>(std::move(columns));
    bLine = [cols] {
        BrowseRow row;
        row.reserve(cols->size());
        for (auto& c : *cols) row.push_back(c ? c() : Value());
        return row;
    };
    aHeaders = {std::move(headers)};
    aColSizes = ColSizes(std::move(sizes));
    oHScroll->SetRange(1, long(cols->size()));
}

Rect TWBrowse::cellRect(int col) {
    std::vector<int> w = GetColSizes();
    int x = 0;
    for (int c = nColPos; c < col && size_t(c) <= w.size(); ++c) x += w[size_t(c - 1)];
    int cw = col >= 1 && size_t(col) <= w.size() ? w[size_t(col - 1)] : 0;
    int top = headerHeight() + (nRowPos - 1) * lineHeight();
    return Rect{double(top), double(x), double(cw), double(lineHeight())};
}

// ---- events -----------------------------------------------------------------------------

void TWBrowse::Default() {
    nLen = bLogicLen ? bLogicLen() : 0;
    oVScroll->SetRange(1, std::max(1L, nLen));
    if (bLine) oHScroll->SetRange(1, std::max<long>(1, long(bLine().size())));
}

bool TWBrowse::keyDown(int key, int flags) {
    bool control = flags & 2;
    switch (key) {
        case 38: goUp(); return true;
        case 40: goDown(); return true;
        case 37: goLeft(); return true;
        case 39: goRight(); return true;
        case 36: goTop(); return true;
        case 35: goBottom(); return true;
        case 33: control ? goTop() : pageUp(); return true;
        case 34: control ? goBottom() : pageDown(); return true;
        default: return false;
    }
}

void TWBrowse::keyChar(int, int) {}

int TWBrowse::lButtonDown(int row, int col, int flags) {
    if (bLClicked) bLClicked(row, col, flags);
    return 0;
}

int TWBrowse::lButtonUp(int, int, int) {
    if (lCaptured) ReleaseCapture();
    return 0;
}

int TWBrowse::mouseMove(int, int, int) {
    return 0;
}

void TWBrowse::lDblClick(int row, int col, int flags) {
    if (bLDblClick) bLDblClick(BrowseDblClick{row, col, flags, false, false, this, nullptr});
}

void TWBrowse::rButtonDown(int row, int col, int flags) {
    if (bRClicked) bRClicked(row, col, flags);
}

void TWBrowse::gotFocus() {
    lFocused = true;
    Refresh(false);
}

void TWBrowse::lostFocus() {
    lFocused = false;
    Refresh(false);
}

// ---- system ------------------------------------------------------------------------------

Color sysColorBtnText() {
    return systemColor(SystemColor::ButtonText);
}
Color sysColorBtnFace() {
    return systemColor(SystemColor::ButtonFace);
}
Color sysColorWindow() {
    return systemColor(SystemColor::Window);
}
void MessageBeep() {
    systemBeep();
}
