#include "TopWindow.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QMdiArea>
#include <QPixmap>
#include <QScreen>

#include "App.h"
#include "Control.h"
#include "Menu.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

std::unique_ptr<WindowImpl> makeMainWindow(const WindowOptions& o, bool mdiFrame) {
    appEnsure();
    auto* w = new MainWidget;
    QWidget* centre = nullptr;
    if (mdiFrame) {
        // Child windows live in the area's viewport, over the controls placed there first;
        // the area shows the window's own background, as a plain client area does.
        auto* area = new QMdiArea(w);
        area->setBackground(w->palette().window());
        area->setFrameShape(QFrame::NoFrame);
        w->setCentralWidget(area);
        centre = area->viewport();
    } else {
        centre = new QWidget(w);
        w->setCentralWidget(centre);
    }
    setTitleOf(w, o.title);
    w->resize(std::max(o.width, 1), std::max(o.height, 1));
    auto impl = std::make_unique<WindowImpl>();
    impl->top = w;
    impl->client = centre;
    impl->menuHost = w;
    return impl;
}

MainWidget* widgetOf(const TWindow& w) {
    return static_cast<MainWidget*>(w.impl().top.data());
}

}  // namespace

TWindow::TWindow(WindowOptions o) : TWindow(std::move(o), false) {}

TWindow::TWindow(WindowOptions o, bool mdiFrame) : TWindowBase(o.units, makeMainWindow(o, mdiFrame)) {
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
    // The keyboard goes to the window shown, also where no window manager gives it.
    if (how != Show::Minimized) w->activateWindow();
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
