#include "GuiHarness.h"

#include "internal/Widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include "App.h"
#include "Clock.h"
#include "Window.h"
#include "internal/QtBridge.h"

struct ViewImpl {
    QPointer<QWidget> w;
};

namespace {

template <class T>
std::vector<T*> childrenOf(QWidget* w) {
    std::vector<T*> out;
    if (!w) return out;
    for (T* c : w->findChildren<T*>()) out.push_back(c);
    return out;
}

bool sameCaption(const QString& a, const std::string& b) {
    return utf8(a) == b || plainCaption(utf8(a)) == plainCaption(b);
}

QWidget* findByCaption(QWidget* w, const std::string& caption) {
    for (auto* b : childrenOf<QAbstractButton>(w))
        if (sameCaption(b->text(), caption)) return b;
    for (auto* l : childrenOf<QLabel>(w))
        if (sameCaption(l->text(), caption)) return l;
    return nullptr;
}

void sendKey(QWidget* target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    if (target) QApplication::sendEvent(target, &release);
}

void sendMouse(QWidget* target, QPoint at, Qt::MouseButton button, bool isDouble) {
    QPointF global = target->mapToGlobal(QPointF(at));
    auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), global, button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    };
    send(isDouble ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, button);
    if (!isDouble) send(QEvent::MouseButtonRelease, Qt::NoButton);
}

QPoint centre(QWidget* w) {
    return QPoint(w->width() / 2, w->height() / 2);
}

bool isModalWindow(QWidget* w) {
    return w->isWindow() && (w->isModal() || qobject_cast<QMenu*>(w) != nullptr);
}

void closeUnexpected(QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w))
        d->QDialog::done(0);
    else
        w->hide();
}

}  // namespace

// ---- WindowView -------------------------------------------------------------------------

WindowView::WindowView(std::shared_ptr<ViewImpl> impl) : impl_(std::move(impl)) {}

bool WindowView::valid() const {
    return impl_->w != nullptr;
}
TWindowBase* WindowView::window() const {
    return impl_->w ? windowOfWidget(impl_->w) : nullptr;
}
bool WindowView::visible() const {
    return impl_->w && impl_->w->isVisible();
}
bool WindowView::modal() const {
    return impl_->w && impl_->w->isModal();
}
std::string WindowView::title() const {
    return impl_->w ? titleOf(impl_->w) : "";
}

WindowView::TitleBar WindowView::titleBar() const {
    TitleBar bar;
    QWidget* w = impl_->w;
    if (!w) return bar;
    bar.text = utf8(w->windowHandle() ? w->windowHandle()->title() : w->windowTitle());
    Qt::WindowFlags f = w->windowFlags();
    bool frame = !(f & Qt::FramelessWindowHint);
    bar.close = frame && (f & Qt::WindowCloseButtonHint);
    bar.minimize = frame && (f & Qt::WindowMinimizeButtonHint);
    bar.maximize = frame && (f & Qt::WindowMaximizeButtonHint);
    return bar;
}
int WindowView::width() const {
    return impl_->w ? impl_->w->width() : 0;
}
int WindowView::height() const {
    return impl_->w ? impl_->w->height() : 0;
}

std::vector<std::string> WindowView::labels() const {
    std::vector<std::string> out;
    for (auto* l : childrenOf<QLabel>(impl_->w)) out.push_back(utf8(l->text()));
    return out;
}

std::vector<std::string> WindowView::buttons() const {
    std::vector<std::string> out;
    for (auto* b : childrenOf<QAbstractButton>(impl_->w)) out.push_back(utf8(b->text()));
    return out;
}

std::string WindowView::focusedCaption() const {
    if (!impl_->w) return "";
    QWidget* f = impl_->w->focusWidget();
    if (!f) return "";
    return utf8(f->property("text").toString());
}

std::optional<Rect> WindowView::controlRect(const std::string& caption) const {
    QWidget* c = findByCaption(impl_->w, caption);
    if (!c) return std::nullopt;
    QRect g = c->geometry();
    return Rect{double(g.top()), double(g.left()), double(g.width()), double(g.height())};
}

bool WindowView::press(const std::string& caption) {
    auto* b = qobject_cast<QAbstractButton*>(findByCaption(impl_->w, caption));
    if (!b) return false;
    b->click();
    return true;
}

bool WindowView::press(int id) {
    if (!impl_->w) return false;
    auto* b = impl_->w->findChild<QAbstractButton*>(QStringLiteral("id%1").arg(id));
    if (!b) return false;
    b->click();
    return true;
}

void WindowView::key(Key k) {
    if (!impl_->w) return;
    QWidget* target = impl_->w->focusWidget() ? impl_->w->focusWidget() : impl_->w.data();
    sendKey(target, qtKeyOf(k), k == Key::Enter ? QStringLiteral("\r") : QString());
}

void WindowView::type(const std::string& text) {
    if (!impl_->w) return;
    for (QChar c : qs(text)) {
        QWidget* target = impl_->w->focusWidget() ? impl_->w->focusWidget() : impl_->w.data();
        sendKey(target, c.toUpper().unicode(), QString(c));
    }
}

bool WindowView::clickLabel(const std::string& text, bool right) {
    auto* l = qobject_cast<QLabel*>(findByCaption(impl_->w, text));
    if (!l) return false;
    sendMouse(l, centre(l), right ? Qt::RightButton : Qt::LeftButton, false);
    return true;
}

bool WindowView::doubleClickLabel(const std::string& text) {
    auto* l = qobject_cast<QLabel*>(findByCaption(impl_->w, text));
    if (!l) return false;
    sendMouse(l, centre(l), Qt::LeftButton, true);
    return true;
}

void WindowView::click(int row, int col) {
    if (!impl_->w) return;
    QPoint at(col, row);
    QWidget* target = impl_->w->childAt(at);
    if (!target) target = impl_->w;
    sendMouse(target, target->mapFrom(impl_->w.data(), at), Qt::LeftButton, false);
}

void WindowView::close() {
    if (impl_->w) impl_->w->close();
}

bool WindowView::pickItem(const std::string& text) {
    for (auto* combo : childrenOf<QComboBox>(impl_->w)) {
        int i = combo->findText(qs(text));
        if (i < 0) continue;
        combo->hidePopup();
        combo->setCurrentIndex(i);
        emit combo->activated(i);
        return true;
    }
    return false;
}

std::vector<std::string> WindowView::menuItems() const {
    std::vector<std::string> out;
    if (auto* m = qobject_cast<QMenu*>(impl_->w.data()))
        for (QAction* a : m->actions()) out.push_back(a->isSeparator() ? "-" : utf8(a->text()));
    return out;
}

bool WindowView::choose(const std::string& caption) {
    auto* m = qobject_cast<QMenu*>(impl_->w.data());
    if (!m) return false;
    for (QAction* a : m->actions())
        if (!a->isSeparator() && sameCaption(a->text(), caption)) {
            m->close();
            a->trigger();
            return true;
        }
    return false;
}

Picture WindowView::grab() const {
    return impl_->w ? fromQImage(impl_->w->grab().toImage()) : Picture();
}
bool WindowView::grab(const std::string& pngPath) const {
    return impl_->w && impl_->w->grab().toImage().save(qs(pngPath), "PNG");
}

namespace {

QImage composite(QWidget* w) {
    QImage image = w->grab().toImage();
    QPainter p(&image);
    QPoint origin = w->mapToGlobal(QPoint(0, 0));
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other == w || !other->isVisible()) continue;
        QRect at(other->mapToGlobal(QPoint(0, 0)) - origin, other->size());
        if (at.intersects(image.rect())) p.drawImage(at.topLeft(), other->grab().toImage());
    }
    return image;
}

}  // namespace

Picture WindowView::grabWithPopups() const {
    return impl_->w ? fromQImage(composite(impl_->w)) : Picture();
}
bool WindowView::grabWithPopups(const std::string& pngPath) const {
    return impl_->w && composite(impl_->w).save(qs(pngPath), "PNG");
}

// ---- GuiHarness -------------------------------------------------------------------------

struct GuiHarness::Watcher : QObject {
    GuiHarness* owner = nullptr;
    bool eventFilter(QObject* o, QEvent* e) override {
        if ((e->type() != QEvent::Show && e->type() != kDialogResumedEvent) || !o->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(o);
        if (!isModalWindow(w)) return false;
        if (owner->actions_.empty()) {
            owner->unexpected_.push_back(titleOf(w));
            QPointer<QWidget> guard(w);
            QTimer::singleShot(0, w, [guard] {
                if (guard) closeUnexpected(guard);
            });
            return false;
        }
        auto action = std::move(owner->actions_.front());
        owner->actions_.pop_front();
        auto impl = std::make_shared<ViewImpl>();
        impl->w = w;
        QTimer::singleShot(0, w, [impl, action = std::move(action)] {
            WindowView view(impl);
            action(view);
        });
        return false;
    }
};

GuiHarness::GuiHarness() : watcher_(std::make_unique<Watcher>()) {
    appEnsure();
    watcher_->owner = this;
    qApp->installEventFilter(watcher_.get());
}

GuiHarness::~GuiHarness() {
    qApp->removeEventFilter(watcher_.get());
    // Windows left open by a test would receive the next test's actions.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && isModalWindow(w)) closeUnexpected(w);
}

void GuiHarness::onNextModal(std::function<void(WindowView&)> action) {
    actions_.push_back(std::move(action));
}

std::vector<WindowView> GuiHarness::windows() {
    appEnsure();
    std::vector<WindowView> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) {
            auto impl = std::make_shared<ViewImpl>();
            impl->w = w;
            out.emplace_back(impl);
        }
    return out;
}

std::optional<WindowView> GuiHarness::window(const std::string& title) {
    for (auto& v : windows())
        if (v.title() == title) return v;
    return std::nullopt;
}

std::vector<WindowView> GuiHarness::childWindows() {
    std::vector<WindowView> out;
    for (auto& top : windows())
        for (QMdiSubWindow* sub : childrenOf<QMdiSubWindow>(top.impl_->w))
            if (sub->isVisible()) {
                auto impl = std::make_shared<ViewImpl>();
                impl->w = sub;
                out.emplace_back(impl);
            }
    return out;
}

std::optional<WindowView> GuiHarness::childWindow(const std::string& title) {
    for (auto& v : childWindows())
        if (v.title() == title) return v;
    return std::nullopt;
}

// ---- TestClock --------------------------------------------------------------------------

TestClock::TestClock(double start, double step) : now(start), step(step) {
    setClockForTests([this] {
        double t = now;
        now += this->step;
        if (onRead) onRead(t);
        return t;
    });
}

TestClock::~TestClock() {
    setClockForTests(nullptr);
}
