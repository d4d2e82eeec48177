// The dialog browse: its frame, start-up action and activation.
#include "dAbreBro.h"

#include "Menu.h"

dAbreBrow::dAbreBrow(DialogOptions options) : TDialog(std::move(options)) {}

dAbreBrow::~dAbreBrow() {
    destroyControls();
}

void dAbreBrow::installMenu(std::unique_ptr<TMenu> menu) {
    setMenu(std::move(menu));
}

TMenu* dAbreBrow::currentMenu() {
    return menu();
}

void dAbreBrow::takeClient(TControl* c) {
    setClient(c);
}

bool dAbreBrow::closeFrame() {
    return TDialog::end(0);
}

bool dAbreBrow::activate(ActivateOptions options) {
    auto callerInit = std::move(options.onInit);
    options.onInit = [this, callerInit](TDialog& d) {
        if (bInicio) bInicio(d);
        if (callerInit) callerInit(d);
    };
    browseMenuOnRightClick();
    TDialog::activate(options);
    return oBrw && oBrw->lOk;
}
