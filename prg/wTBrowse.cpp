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
    browseMenuOnRightClick();
    TWindow::activate(how);
}

std::unique_ptr<uWTbrowse> uWTbrowse::New(WTbrowseNew a) {
    FramePlace place = framePlace(a);
    WindowOptions options{a.cTitle, place.width, place.height, Units::Pixels};
    Value initial = a.uIndex;
    auto w = std::make_unique<uWTbrowse>(std::move(options));
    w->newPrev(a.aIndexTxt, a.aIndexNum, a.aIndexMsg, a.aPrintTxt, a.aPrintBlk, a.aPrintMsg, initial, a.bLDblClick,
               a.lEdit, a.lYesNo, a.lDel, a.bBtnDel);
    if (place.top != 0 || place.left != 0) w->moveTo(place.top, place.left);
    if (!a.oIcon.empty()) w->setIcon(TIcon::fromResource(a.oIcon));
    w->browseOf(a);
    w->setClient(w->oBrw);
    w->newPost(initial, std::move(a.oMenu), a.uBarra);
    return w;
}
