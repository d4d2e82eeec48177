#include "TopWindow.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>

#include "App.h"
#include "Control.h"
#include "Menu.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

std::unique_ptr<WindowImpl> makeMainWindow(const WindowOptions& o) {
    appEnsure();
    auto* w = new MainWidget;
    auto* centre = new QWidget(w);
    w->setCentralWidget(centre);
    setTitleOf(w, o.title);
    w->resize(std::max(o.width, 1), std::max(o.height, 1));
    auto impl = std::make_unique<WindowImpl>();
    impl->top = w;
    impl->client = centre;
    return impl;
}

MainWidget* widgetOf(const TWindow& w) {
    return static_cast<MainWidget*>(w.impl().top.data());
}

}  // namespace

TWindow::TWindow(WindowOptions o) : TWindowBase(o.units, makeMainWindow(o)) {
    MainWidget* w = widgetOf(*this);
    w->mayClose = [this] { return !bValid || bValid(*this); };
    w->resized = [this](int sizeType, int width, int height) {
        if (sizeType != 1) layoutDocked();
        if (bResized) bResized(*this, sizeType, width, height);
    };
}

TWindow::~TWindow() {
    MainWidget* w = widgetOf(*this);
    w->mayClose = nullptr;
    w->resized = nullptr;
    destroyControls();
    menu_.reset();
}

void TWindow::setMenu(std::unique_ptr<TMenu> menu) {
    menu_ = std::move(menu);
    if (menu_) menu_->attachTo(*this);
}

void TWindow::setIcon(const TIcon& icon) {
    icon_ = icon;
    widgetOf(*this)->setWindowIcon(QIcon(QPixmap::fromImage(toQImage(icon.picture()))));
}

void TWindow::setClient(TControl* c) {
    client_ = c;
    placeClient();
}

bool TWindow::destroyControl(TControl* c) {
    if (c == client_) client_ = nullptr;
    return TWindowBase::destroyControl(c);
}

void TWindow::layoutDocked() {
    TWindowBase::layoutDocked();
    placeClient();
}

// Under the docked bars, over the rest of the client area.
void TWindow::placeClient() {
    if (!client_) return;
    int top = clientTop();
    client_->move(Rect{double(top), 0, double(width()), double(std::max(height() - top, 0))});
}

void TWindow::activate(Show how) {
    MainWidget* w = widgetOf(*this);
    switch (how) {
        case Show::Maximized:
            // Without a window manager nothing would make a window maximised: it takes the
            // screen's free area itself, which a window manager then keeps.
            if (QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen())
                w->setGeometry(screen->availableGeometry());
            w->showMaximized();
            break;
        case Show::Minimized:
            w->showMinimized();
            break;
        default:
            w->show();
    }
}

bool TWindow::end() {
    return widgetOf(*this)->close();
}
void TWindow::minimize() {
    widgetOf(*this)->showMinimized();
    SysRefresh();  // the resize handler hears of it before this returns
}
void TWindow::restore() {
    MainWidget* w = widgetOf(*this);
    if (w->isMinimized() || !w->isVisible()) showUnminimized(w);
    bringToTop();
}
bool TWindow::minimized() const {
    return widgetOf(*this)->isMinimized();
}
bool TWindow::maximized() const {
    return widgetOf(*this)->isMaximized();
}

void TWindow::waitClosed() {
    MainWidget* w = widgetOf(*this);
    if (!w->isVisible()) return;
    QEventLoop loop;
    w->closed = [&loop] { loop.quit(); };
    loop.exec();
    w->closed = nullptr;
}
