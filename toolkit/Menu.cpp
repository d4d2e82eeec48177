#include "Menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>

#include "App.h"
#include "TopWindow.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

struct MenuImpl {
    QPointer<QMenuBar> bar;  // one of the two
    QPointer<QMenu> menu;

    QAction* addAction(const QString& caption) {
        return bar ? bar->addAction(caption) : menu->addAction(caption);
    }
    QAction* addMenu(QMenu* m) { return bar ? bar->addMenu(m) : menu->addMenu(m); }
    QAction* addSeparator() { return bar ? bar->addSeparator() : menu->addSeparator(); }
};

struct MenuItemImpl {
    QPointer<QAction> action;
};

namespace {
std::vector<TMenu*>& buildStack() {
    static std::vector<TMenu*> s;
    return s;
}
}  // namespace

// ---- items ------------------------------------------------------------------------------

TMenuItem::TMenuItem(MenuItemImpl* impl, std::unique_ptr<TMenu> submenu,
                     std::function<void()> action)
    : impl_(impl), submenu_(std::move(submenu)), action_(std::move(action)) {
    QObject::connect(impl_->action.data(), &QAction::triggered, [this] { runAction(); });
    QObject::connect(impl_->action.data(), &QAction::hovered, [this] {
        if (TWindowBase* w = menu_ ? menu_->statusWindow() : nullptr) w->showStatus(message_);
    });
}
TMenuItem::~TMenuItem() = default;

std::string TMenuItem::caption() const {
    return utf8(impl_->action->text());
}
void TMenuItem::setCaption(const std::string& caption) {
    impl_->action->setText(qs(caption));
}
bool TMenuItem::enabled() const {
    return impl_->action->isEnabled();
}
void TMenuItem::setEnabled(bool on) {
    impl_->action->setEnabled(on);
}
bool TMenuItem::checked() const {
    return impl_->action->isChecked();
}
void TMenuItem::setChecked(bool on) {
    impl_->action->setCheckable(true);
    impl_->action->setChecked(on);
}
bool TMenuItem::hasImage() const {
    return !impl_->action->icon().isNull();
}
void TMenuItem::setImage(const Picture& p) {
    impl_->action->setIcon(p.empty() ? QIcon() : QIcon(QPixmap::fromImage(toQImage(p))));
}
bool TMenuItem::isSeparator() const {
    return impl_->action->isSeparator();
}
void TMenuItem::hover() {
    impl_->action->hover();
}
void TMenuItem::trigger() {
    if (impl_->action->isEnabled()) impl_->action->trigger();
}

// ---- menus ------------------------------------------------------------------------------

TMenu::TMenu(std::unique_ptr<MenuImpl> impl) : impl_(std::move(impl)) {
    // A closing menu leaves the status bar to its default message.
    if (impl_->menu)
        QObject::connect(impl_->menu.data(), &QMenu::aboutToHide, [this] {
            if (TWindowBase* w = statusWindow()) w->showStatus("");
        });
}

TMenuItem* TMenu::keep(std::unique_ptr<TMenuItem> item) {
    item->menu_ = this;
    if (item->submenu_) item->submenu_->parentMenu_ = this;
    items_.push_back(std::move(item));
    return items_.back().get();
}

TWindowBase* TMenu::statusWindow() const {
    for (const TMenu* m = this; m; m = m->parentMenu_)
        if (m->owner_) return m->owner_;
    return nullptr;
}

TMenu::~TMenu() {
    items_.clear();
    delete impl_->bar.data();
    delete impl_->menu.data();
}

std::unique_ptr<TMenu> TMenu::bar(const std::function<void(TMenu&)>& build) {
    appEnsure();
    auto impl = std::make_unique<MenuImpl>();
    impl->bar = new QMenuBar;
    std::unique_ptr<TMenu> m(new TMenu(std::move(impl)));
    m->define(build);
    return m;
}

std::unique_ptr<TMenu> TMenu::popup(const std::function<void(TMenu&)>& build) {
    appEnsure();
    auto impl = std::make_unique<MenuImpl>();
    impl->menu = new QMenu;
    std::unique_ptr<TMenu> m(new TMenu(std::move(impl)));
    m->define(build);
    return m;
}

TMenu* TMenu::building() {
    return buildStack().empty() ? nullptr : buildStack().back();
}

void TMenu::define(const std::function<void(TMenu&)>& build) {
    if (!build) return;
    buildStack().push_back(this);
    struct Pop {
        ~Pop() { buildStack().pop_back(); }
    } pop;
    build(*this);
}

TMenuItem* TMenu::add(const std::string& caption, MenuItemOptions o) {
    auto* impl = new MenuItemImpl;
    impl->action = impl_->addAction(qs(caption));
    auto item = std::make_unique<TMenuItem>(impl, nullptr, std::move(o.action));
    if (o.checkable || o.checked) item->setChecked(o.checked);
    item->setEnabled(o.enabled);
    if (!o.image.empty()) item->setImage(o.image);
    item->message_ = std::move(o.message);
    return keep(std::move(item));
}

TMenuItem* TMenu::add(const std::string& caption, std::function<void()> action) {
    MenuItemOptions o;
    o.action = std::move(action);
    return add(caption, std::move(o));
}

TMenuItem* TMenu::addMenu(const std::string& caption, const std::function<void(TMenu&)>& build,
                          const std::string& message) {
    auto subImpl = std::make_unique<MenuImpl>();
    subImpl->menu = new QMenu(qs(caption));
    std::unique_ptr<TMenu> sub(new TMenu(std::move(subImpl)));
    auto* impl = new MenuItemImpl;
    impl->action = impl_->addMenu(sub->impl_->menu);
    TMenu* subPtr = sub.get();
    TMenuItem* item = keep(std::make_unique<TMenuItem>(impl, std::move(sub), nullptr));
    item->message_ = message;
    subPtr->define(build);
    return item;
}

void TMenu::separator() {
    auto* impl = new MenuItemImpl;
    impl->action = impl_->addSeparator();
    keep(std::make_unique<TMenuItem>(impl, nullptr, nullptr));
}

TMenuItem* TMenu::find(const std::string& caption) const {
    for (const auto& item : items_) {
        if (!item->isSeparator() && plainCaption(item->caption()) == plainCaption(caption))
            return item.get();
        if (item->submenu())
            if (TMenuItem* found = item->submenu()->find(caption)) return found;
    }
    return nullptr;
}

bool TMenu::isPopup() const {
    return impl_->menu != nullptr;
}

void TMenu::activate(int row, int col, TWindowBase* over) {
    if (!impl_->menu) return;  // a menu bar is shown by its window
    QPoint at(col, row);
    if (over) at = over->impl().client->mapToGlobal(at);
    TWindowBase* before = owner_;
    if (over) owner_ = over;
    QPointer<QMenu> alive = impl_->menu;
    impl_->menu->exec(at);
    if (alive) owner_ = before;  // an action may have destroyed the menu
}

namespace {
// A menu bar held as a control of a window without a place of its own for one (a dialog):
// docked along the top like a button bar.
class MenuBarControl : public TControl {
  public:
    MenuBarControl(TWindowBase& parent, QMenuBar* bar) : TControl(parent, 0, Rect{}, implOf(parent, bar)) {
        impl_->widget->resize(parent.width(), impl_->widget->sizeHint().height());
        parent.dockTop(this);
    }

  private:
    static std::unique_ptr<ControlImpl> implOf(TWindowBase& parent, QMenuBar* bar) {
        bar->setParent(parent.impl().client);
        auto impl = std::make_unique<ControlImpl>();
        impl->widget = bar;
        return impl;
    }
};
}  // namespace

void TMenu::attachTo(TWindowBase& window) {
    owner_ = &window;
    if (!impl_->bar) return;
    if (window.impl().menuHost) window.impl().menuHost->setMenuBar(impl_->bar);
    else window.add<MenuBarControl>(impl_->bar.data());
}
