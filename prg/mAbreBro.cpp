// The child-window browse: its frame, activation and positional constructor.
#include "mAbreBro.h"

#include "Menu.h"

tMAbreBrow::tMAbreBrow(TMdiFrame& frame, MdiChildOptions options) : TMdiChild(frame, std::move(options)) {
    bResized = [this](TMdiChild&, int sizeType, int width, int height) { reSize(sizeType, width, height); };
}

tMAbreBrow::~tMAbreBrow() {
    destroyControls();
}

void tMAbreBrow::installMenu(std::unique_ptr<TMenu> menu) {
    setMenu(std::move(menu));
}

TMenu* tMAbreBrow::currentMenu() {
    return menu();
}

void tMAbreBrow::takeClient(TControl* c) {
    setClient(c);
}

bool tMAbreBrow::closeFrame() {
    return TMdiChild::end();
}

void tMAbreBrow::activate(TWindow::Show how) {
    if (oBrw && !oBrw->bRClicked)
        oBrw->bRClicked = [this](int row, int col, int) {
            Rect r = oBrw->pixelRect();
            showMenu(int(r.top) + row, int(r.left) + col, 0, this);
        };
    TMdiChild::activate(how);
}

