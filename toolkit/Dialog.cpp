#include "Dialog.h"

#include <QTimer>
#include <cmath>

#include "App.h"
#include "Control.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

std::unique_ptr<WindowImpl> makeDialog(const DialogOptions& o) {
    appEnsure();
    QWidget* parent = o.parent ? o.parent->impl().top.data() : nullptr;
    auto* w = new DialogWidget(parent);
    Qt::WindowFlags flags = kDialogFlags;
    if (o.popup) flags = Qt::Dialog | Qt::FramelessWindowHint;
    if (o.helpIcon) flags |= Qt::WindowContextHelpButtonHint;
    w->setWindowFlags(flags);
    setTitleOf(w, o.title);
    w->setFixedSize(std::max(o.width, 1), std::max(o.height, 1));
    auto impl = std::make_unique<WindowImpl>();
    impl->top = w;
    impl->client = w;
    return impl;
}

DialogWidget* widgetOf(const TDialog& d) {
    return static_cast<DialogWidget*>(d.impl().top.data());
}

}  // namespace

TDialog::TDialog(DialogOptions o) : TWindowBase(o.units, makeDialog(o)), popup_(o.popup) {
    DialogWidget* w = widgetOf(*this);
    w->requestEnd = [this](int result) { end(result); };
    w->keyHook = [this](int key) { return bKeyDown && bKeyDown(*this, keyFromQt(key)); };
    w->clicks.left = [this](int row, int col) {
        if (bLClicked) bLClicked(*this, row, col);
    };
}

TDialog::~TDialog() {
    // A dialog still waiting in its own loop must leave it before the window goes away.
    if (DialogWidget* w = widgetOf(*this)) {
        w->requestEnd = nullptr;
        if (w->isVisible()) w->done(0);
    }
    destroyControls();
}

int TDialog::activate(const ActivateOptions& o) {
    DialogWidget* w = widgetOf(*this);
    result_ = 0;
    if (o.onInit) o.onInit(*this);
    if (o.centered) center();
    if (o.onShown)
        QTimer::singleShot(0, w, [this, shown = o.onShown] {
            if (active()) shown(*this);
        });
    if (o.modal && o.wait) return w->exec();
    w->setModal(o.modal);
    w->show();
    w->raise();
    return 0;
}

bool TDialog::end(int result) {
    if (bValid && !bValid(*this)) return false;
    result_ = result;
    widgetOf(*this)->done(result);
    return true;
}

bool TDialog::active() const {
    return widgetOf(*this)->isVisible();
}
bool TDialog::modal() const {
    return widgetOf(*this)->isModal();
}

void TDialog::placeOver(const TControl& control, const Rect& r) {
    Point at = control.toScreen(Point{r.left, r.top});
    setSize(std::max(int(std::lround(r.width)), 1), std::max(int(std::lround(r.height)), 1));
    moveTo(int(at.y), int(at.x));
}

void TDialog::setBackgroundPicture(const Picture& p) {
    widgetOf(*this)->background = toQImage(p);
    widgetOf(*this)->update();
}
bool TDialog::hasBackgroundPicture() const {
    return !widgetOf(*this)->background.isNull();
}

void TDialog::setHelpIcon(bool on) {
    DialogWidget* w = widgetOf(*this);
    bool wasVisible = w->isVisible();
    w->setWindowFlag(Qt::WindowContextHelpButtonHint, on);
    if (wasVisible) w->show();  // changing window flags hides the window
}
int titleBarWidth(const std::string& title) {
    appEnsure();
    return titleBarWidth(qs(title));
}

bool TDialog::helpIcon() const {
    return widgetOf(*this)->windowFlags() & Qt::WindowContextHelpButtonHint;
}
