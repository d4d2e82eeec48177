// The top-level browse window and its positional constructor.
#include <algorithm>

#include "Menu.h"
#include "wAbreBro.h"

tWAbreBrow::tWAbreBrow(WindowOptions options) : TWindow(std::move(options)) {
    bResized = [this](TWindow&, int sizeType, int width, int height) { reSize(sizeType, width, height); };
}

tWAbreBrow::~tWAbreBrow() {
    destroyControls();
}

void tWAbreBrow::installMenu(std::unique_ptr<TMenu> menu) {
    setMenu(std::move(menu));
}

TMenu* tWAbreBrow::currentMenu() {
    return menu();
}

void tWAbreBrow::takeClient(TControl* c) {
    setClient(c);
}

bool tWAbreBrow::closeFrame() {
    return TWindow::end();
}

void tWAbreBrow::activate(TWindow::Show how) {
    if (oBrw && !oBrw->bRClicked) {
        oBrw->bRClicked = [this](int row, int col, int) {
            Rect r = oBrw->pixelRect();
            showMenu(int(r.top) + row, int(r.left) + col, 0, this);
        };
    }
    TWindow::activate(how);
}

std::unique_ptr<uWTbrowse> uWTbrowse::New(WTbrowseNew a) {
    // Coordinates in text rows and columns unless in pixels.
    TFont font;
    double rowUnit = a.lPixel ? 1 : font.textHeight(), colUnit = a.lPixel ? 1 : font.textWidth("B");
    int width = int((a.nRight - a.nLeft) * colUnit), height = int((a.nBottom - a.nTop) * rowUnit);
    WindowOptions options{a.cTitle, width > 0 ? width : 640, height > 0 ? height : 400, Units::Pixels};
    Value initial = a.uIndex;
    auto w = std::make_unique<uWTbrowse>(std::move(options));
    w->newPrev(a.aIndexTxt, a.aIndexNum, a.aIndexMsg, a.aPrintTxt, a.aPrintBlk, a.aPrintMsg, initial, a.bLDblClick,
               a.lEdit, a.lYesNo, a.lDel, a.bBtnDel);
    if (a.nTop != 0 || a.nLeft != 0) w->moveTo(int(a.nTop * rowUnit), int(a.nLeft * colUnit));
    if (!a.oIcon.empty()) w->setIcon(TIcon::fromResource(a.oIcon));
    w->browse(a.source, std::move(a.aHeaders), std::move(a.aColSizes), std::move(a.bChange), a.bLDblClick,
              std::move(a.bRClicked), a.cAlias, std::move(a.bLClicked), std::move(a.bSeek), a.lSeekEOF);
    if (a.oBrush) w->oBrw->oBrush = *a.oBrush;
    w->setClient(w->oBrw);
    w->newPost(initial, std::move(a.oMenu), a.uBarra);
    return w;
}
