#include "Window.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "App.h"
#include "Control.h"
#include "MsgBar.h"
#include "Text.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

std::string plainCaption(const std::string& caption) {
    std::string s;
    for (char c : caption)
        if (c != '&') s += c;
    return text::rtrim(text::ltrim(s));
}

namespace {
constexpr const char* kOwnerProperty = "urnaliaWindow";
}

TWindowBase::TWindowBase(Units units, std::unique_ptr<WindowImpl> impl)
    : impl_(std::move(impl)), units_(units) {
    if (impl_->top) impl_->top->setProperty(kOwnerProperty, QVariant::fromValue(static_cast<void*>(this)));
}

TWindowBase* windowOfWidget(const QWidget* top) {
    if (!top) return nullptr;
    return static_cast<TWindowBase*>(top->property(kOwnerProperty).value<void*>());
}

TWindowBase::~TWindowBase() {
    destroyControls();
    delete impl_->top.data();
}

void TWindowBase::destroyControls() {
    client_ = nullptr;
    dockedTop_.clear();
    dockedBottom_.clear();
    controls_.clear();
}

bool TWindowBase::destroyControl(TControl* c) {
    if (c == client_) client_ = nullptr;
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

void TWindowBase::dockBottom(TControl* c) {
    if (std::find(dockedBottom_.begin(), dockedBottom_.end(), c) == dockedBottom_.end())
        dockedBottom_.push_back(c);
    layoutDocked();
}

void TWindowBase::undock(TControl* c) {
    size_t before = dockedTop_.size() + dockedBottom_.size();
    std::erase(dockedTop_, c);
    std::erase(dockedBottom_, c);
    if (dockedTop_.size() + dockedBottom_.size() != before) layoutDocked();
}

int TWindowBase::clientTop() const {
    int top = 0;
    for (TControl* c : dockedTop_) top += c->impl().widget->height();
    return top;
}

int TWindowBase::clientBottom() const {
    int bottom = 0;
    for (TControl* c : dockedBottom_) bottom += c->impl().widget->height();
    return bottom;
}

void TWindowBase::layoutDocked() {
    if (!impl_->client) return;  // the window is gone (a child whose frame went first)
    int top = 0;
    for (TControl* c : dockedTop_) {
        QWidget* w = c->impl().widget;
        w->setGeometry(0, top, width(), w->height());
        top += w->height();
    }
    int bottom = height();
    for (TControl* c : dockedBottom_) {
        QWidget* w = c->impl().widget;
        bottom -= w->height();
        w->setGeometry(0, bottom, width(), w->height());
    }
    if (client_) {
        QRect r(0, top, width(), std::max(bottom - top, 0));
        const double unit = units_ == Units::DialogUnits ? 2 : 1;
        client_->impl().rect = Rect{r.top() / unit, r.left() / unit, r.width() / unit, r.height() / unit};
        client_->impl().widget->setGeometry(r);
    }
}

void TWindowBase::setClient(TControl* c) {
    client_ = c;
    layoutDocked();
}

void TWindowBase::showStatus(const std::string& message) {
    if (msgBar_) msgBar_->showStatus(message);
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
    if (!top->isWindow()) {  // a child window: in the middle of what holds it
        if (QWidget* holder = top->parentWidget())
            top->move(std::max(0, (holder->width() - top->width()) / 2),
                      std::max(0, (holder->height() - top->height()) / 2));
        return;
    }
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
