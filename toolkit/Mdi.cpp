#include "Mdi.h"

#include <QIcon>
#include <QLayout>
#include <QMdiArea>
#include <QPixmap>
#include <algorithm>

#include "App.h"
#include "Menu.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

QMdiArea* areaOf(const TMdiFrame& f) {
    return static_cast<QMdiArea*>(static_cast<QMainWindow*>(f.impl().top.data())->centralWidget());
}

MdiSubWidget* subOf(const TMdiChild& c) {
    return static_cast<MdiSubWidget*>(c.impl().top.data());
}

// The child's frame holds a main-window widget (menu bar over a client area) that is not a
// window of its own.
std::unique_ptr<WindowImpl> makeChild(TMdiFrame& frame, const MdiChildOptions& o) {
    appEnsure();
    auto* sub = new MdiSubWidget;
    auto* inner = new MainWidget;
    auto* centre = new QWidget(inner);
    inner->setCentralWidget(centre);
    sub->setWidget(inner);
    areaOf(frame)->addSubWindow(sub);
    setTitleOf(sub, o.title);
    sub->hide();
    auto impl = std::make_unique<WindowImpl>();
    impl->top = sub;
    impl->client = centre;
    impl->menuHost = inner;
    return impl;
}

}  // namespace

// ---- the frame --------------------------------------------------------------------------

namespace {
TMdiFrame* g_appFrame = nullptr;
}

TMdiFrame::TMdiFrame(WindowOptions options) : TWindow(std::move(options), true) {
    if (!g_appFrame) g_appFrame = this;
}

TMdiFrame* TMdiFrame::appFrame() {
    return g_appFrame;
}

TMdiFrame::~TMdiFrame() {
    if (g_appFrame == this) g_appFrame = nullptr;
    // Children outliving their frame lose their windows with it.
    for (TMdiChild* c : children_) c->frame_ = nullptr;
}

std::vector<TMdiChild*> TMdiFrame::openChildren() const {
    std::vector<TMdiChild*> out;
    for (TMdiChild* c : children_)
        if (c->open()) out.push_back(c);
    return out;
}

TMdiChild* TMdiFrame::activeChild() const {
    QMdiSubWindow* active = areaOf(*this)->activeSubWindow();
    for (TMdiChild* c : children_)
        if (active && c->impl().top == active && c->open()) return c;
    return nullptr;
}

void TMdiFrame::cascade() {
    areaOf(*this)->cascadeSubWindows();
}
void TMdiFrame::tile() {
    areaOf(*this)->tileSubWindows();
}

// ---- children ---------------------------------------------------------------------------

TMdiChild::TMdiChild(TMdiFrame& frame, MdiChildOptions o)
    : TWindowBase(o.units, makeChild(frame, o)), frame_(&frame) {
    frame.children_.push_back(this);
    MdiSubWidget* sub = subOf(*this);
    sub->mayClose = [this] { return !bValid || bValid(*this); };
    sub->closed = [this] {
        if (bClosed) bClosed(*this);
    };
    sub->stateChanged = [this](int sizeType) {
        if (sizeType == 1 && bResized) bResized(*this, 1, 0, 0);
    };
    auto* inner = static_cast<MainWidget*>(impl_->menuHost.data());
    inner->resized = [this](int, int width, int height) {
        layoutDocked();
        int type = maximized() ? 2 : 0;
        if (bResized && !minimized()) bResized(*this, type, width, height);
    };
    // Lays the hidden child out so that its frame's extra size is known to setSize.
    sub->resize(std::max(o.width, 1) + 16, std::max(o.height, 1) + 40);
    sub->layout()->activate();
    inner->layout()->activate();
    setSize(std::max(o.width, 1), std::max(o.height, 1));
}

TMdiChild::~TMdiChild() {
    if (frame_) std::erase(frame_->children_, this);
    if (MdiSubWidget* sub = subOf(*this)) {
        sub->mayClose = nullptr;
        sub->closed = nullptr;
        sub->stateChanged = nullptr;
        if (auto* inner = static_cast<MainWidget*>(impl_->menuHost.data())) inner->resized = nullptr;
        if (QMdiArea* area = sub->mdiArea()) area->removeSubWindow(sub);
    }
    destroyControls();
    menu_.reset();
}

void TMdiChild::setMenu(std::unique_ptr<TMenu> menu) {
    menu_ = std::move(menu);
    if (menu_) menu_->attachTo(*this);
}

void TMdiChild::setIcon(const TIcon& icon) {
    icon_ = icon;
    subOf(*this)->setWindowIcon(QIcon(QPixmap::fromImage(toQImage(icon.picture()))));
}

void TMdiChild::activate(TWindow::Show how) {
    MdiSubWidget* sub = subOf(*this);
    if (!sub || !frame_) return;
    if (QWidget* inner = impl_->menuHost) inner->show();  // closing hid it too
    switch (how) {
        case TWindow::Show::Maximized: sub->showMaximized(); break;
        case TWindow::Show::Minimized: sub->showMinimized(); break;
        default: sub->showNormal();
    }
    if (how != TWindow::Show::Minimized) areaOf(*frame_)->setActiveSubWindow(sub);
}

bool TMdiChild::open() const {
    return subOf(*this) && !subOf(*this)->isHidden();
}

bool TMdiChild::active() const {
    return frame_ && frame_->activeChild() == this;
}

bool TMdiChild::end() {
    MdiSubWidget* sub = subOf(*this);
    return !sub || sub->isHidden() || sub->close();
}

bool TMdiChild::minimized() const {
    return subOf(*this) && subOf(*this)->isMinimized();
}
bool TMdiChild::maximized() const {
    return subOf(*this) && subOf(*this)->isMaximized();
}
