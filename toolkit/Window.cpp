#include "Window.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "App.h"
#include "Control.h"
#include "Text.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

std::string plainCaption(const std::string& caption) {
    std::string s;
    for (char c : caption)
        if (c != '&') s += c;
    return text::rtrim(text::ltrim(s));
}

TWindowBase::TWindowBase(Units units, std::unique_ptr<WindowImpl> impl)
    : impl_(std::move(impl)), units_(units) {}

TWindowBase::~TWindowBase() {
    destroyControls();
    delete impl_->top.data();
}

void TWindowBase::destroyControls() {
    dockedTop_.clear();
    controls_.clear();
}

bool TWindowBase::destroyControl(TControl* c) {
    for (auto it = controls_.begin(); it != controls_.end(); ++it)
        if (it->get() == c) {
            // Out of the list first: the control's destructor may look at its window.
            std::unique_ptr<TControl> gone = std::move(*it);
            controls_.erase(it);
            undock(c);
            return true;
        }
    return false;
}

void TWindowBase::dockTop(TControl* c) {
    if (std::find(dockedTop_.begin(), dockedTop_.end(), c) == dockedTop_.end())
        dockedTop_.push_back(c);
    layoutDocked();
}

void TWindowBase::undock(TControl* c) {
    auto it = std::find(dockedTop_.begin(), dockedTop_.end(), c);
    if (it == dockedTop_.end()) return;
    dockedTop_.erase(it);
    layoutDocked();
}

int TWindowBase::clientTop() const {
    int top = 0;
    for (TControl* c : dockedTop_) top += c->impl().widget->height();
    return top;
}

void TWindowBase::layoutDocked() {
    int top = 0;
    for (TControl* c : dockedTop_) {
        QWidget* w = c->impl().widget;
        w->setGeometry(0, top, width(), w->height());
        top += w->height();
    }
}

TControl* TWindowBase::control(int id) const {
    for (const auto& c : controls_)
        if (c->id() == id) return c.get();
    return nullptr;
}

TControl* TWindowBase::control(const std::string& caption) const {
    for (const auto& c : controls_)
        if (plainCaption(c->caption()) == plainCaption(caption)) return c.get();
    return nullptr;
}

void TWindowBase::setTitle(const std::string& title) {
    setTitleOf(impl_->top, title);
}
std::string TWindowBase::title() const {
    return titleOf(impl_->top);
}

int TWindowBase::width() const {
    return impl_->client->width();
}
int TWindowBase::height() const {
    return impl_->client->height();
}

int TWindowBase::outerWidth() const {
    return impl_->top->frameGeometry().width();
}
int TWindowBase::outerHeight() const {
    return impl_->top->frameGeometry().height();
}

void TWindowBase::setSize(int width, int height) {
    QWidget* top = impl_->top;
    // The client may be smaller than the top-level window (menu bar, status bar).
    QSize extra = top->size() - impl_->client->size();
    if (impl_->client == impl_->top) extra = QSize(0, 0);
    QSize size(width + extra.width(), height + extra.height());
    if (top->minimumSize() == top->maximumSize())
        top->setFixedSize(size);  // fixed-size dialogs
    else
        top->resize(size);
    impl_->client->resize(width, height);
}

void TWindowBase::moveTo(int top, int left) {
    impl_->top->move(left, top);
}
int TWindowBase::top() const {
    return impl_->top->y();
}
int TWindowBase::left() const {
    return impl_->top->x();
}

void TWindowBase::center() {
    QWidget* top = impl_->top;
    QRect area;
    if (top->parentWidget())
        area = top->parentWidget()->window()->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) top->move(area.center() - QPoint(top->width() / 2, top->height() / 2));
}

void TWindowBase::hide() {
    impl_->top->hide();
}
bool TWindowBase::visible() const {
    return impl_->top->isVisible();
}

void TWindowBase::bringToTop() {
    QWidget* top = impl_->top;
    if (top->isMinimized()) showUnminimized(top);
    top->raise();
    top->activateWindow();
}
