#include "Tabs.h"

#include <QTabBar>

#include "Window.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

QTabBar* barOf(const TTabs& t) {
    return static_cast<QTabBar*>(t.impl().widget.data());
}

std::unique_ptr<ControlImpl> tabsImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    auto* bar = new QTabBar(parent.impl().client);
    bar->setDrawBase(true);
    bar->setExpanding(false);
    bar->setUsesScrollButtons(true);
    impl->widget = bar;
    return impl;
}

}  // namespace

TTabs::TTabs(TWindowBase& parent, TabsOptions o)
    : TControl(parent, o.id, Rect{}, tabsImpl(parent)), action_(std::move(o.action)) {
    setPrompts(o.prompts);
    SetOption(o.option);
    if (o.rect.height <= 0) o.rect.height = tabsHeight();
    movePixels(o.rect);
    QObject::connect(barOf(*this), &QTabBar::currentChanged, [this](int index) {
        if (!quiet_ && index >= 0 && action_) action_(index + 1);
    });
}

TTabs::~TTabs() {
    quiet_ = true;
    barOf(*this)->disconnect();
}

int TTabs::option() const {
    return barOf(*this)->currentIndex() + 1;
}

void TTabs::SetOption(int n) {
    QTabBar* bar = barOf(*this);
    if (n < 1 || n > bar->count()) return;
    quiet_ = true;
    bar->setCurrentIndex(n - 1);
    quiet_ = false;
}

std::vector<std::string> TTabs::prompts() const {
    std::vector<std::string> out;
    QTabBar* bar = barOf(*this);
    for (int i = 0; i < bar->count(); ++i) out.push_back(utf8(bar->tabText(i)));
    return out;
}

void TTabs::setPrompts(const std::vector<std::string>& prompts) {
    QTabBar* bar = barOf(*this);
    int keep = option();
    quiet_ = true;
    while (bar->count() > 0) bar->removeTab(bar->count() - 1);
    for (const std::string& p : prompts) bar->addTab(qs(p));
    if (keep >= 1 && keep <= bar->count()) bar->setCurrentIndex(keep - 1);
    quiet_ = false;
}

void TTabs::movePixels(const Rect& r) {
    const double unit = parent().units() == Units::DialogUnits ? 2 : 1;
    impl_->rect = Rect{r.top / unit, r.left / unit, r.width / unit, r.height / unit};
    impl_->widget->setGeometry(toQRect(r, Units::Pixels));
}

int TTabs::tabsHeight() const {
    return barOf(*this)->sizeHint().height();
}

Rect TTabs::tabRect(int n) const {
    QTabBar* bar = barOf(*this);
    if (n < 1 || n > bar->count()) return Rect{};
    QRect r = bar->tabRect(n - 1);
    return Rect{double(r.top()), double(r.left()), double(r.width()), double(r.height())};
}
