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
    browseMenuOnRightClick();
    TMdiChild::activate(how);
}

