#include "RadMenu.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QStyle>

#include "Window.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

// The group lives in one container widget; its buttons are the container's children.
std::unique_ptr<ControlImpl> groupImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new QWidget(parent.impl().client);
    return impl;
}

QButtonGroup* groupOf(const TControl& c) {
    return c.impl().widget->findChild<QButtonGroup*>();
}

constexpr int kMarkPixels = 22;  // the round mark and its gap, left of each text

Rect groupRect(const RadMenuOptions& o, Units units) {
    double mark = units == Units::DialogUnits ? kMarkPixels / 2.0 : kMarkPixels;
    return Rect{o.top, o.left, o.width + mark, o.itemHeight * double(std::max<size_t>(o.items.size(), 1))};
}

}  // namespace

TRadMenu::TRadMenu(TWindowBase& parent, RadMenuOptions o)
    : TControl(parent, o.id, groupRect(o, parent.units()), groupImpl(parent)),
      items_(std::move(o.items)),
      set_(std::move(o.set)),
      onChange_(std::move(o.onChange)) {
    if (o.font) setFont(*o.font);
    QWidget* box = impl_->widget;
    auto* group = new QButtonGroup(box);
    int pitch = toPixels(o.itemHeight, parent.units());
    for (size_t i = 0; i < items_.size(); ++i) {
        auto* b = new QRadioButton(qs(items_[i]), box);
        b->setGeometry(0, int(i) * pitch, box->width(), pitch);
        group->addButton(b, int(i) + 1);
    }
    select(o.get ? o.get() : 0);
    QObject::connect(group, &QButtonGroup::idToggled, box, [this](int id, bool on) {
        if (!on) return;
        if (set_) set_(id);
        if (onChange_) onChange_(id);
    });
}

int TRadMenu::selected() const {
    return std::max(groupOf(*this)->checkedId(), 0);
}

void TRadMenu::select(int n) {
    QButtonGroup* group = groupOf(*this);
    if (QAbstractButton* b = group->button(n)) {
        b->setChecked(true);
        return;
    }
    // No item: the group must stop being exclusive for a moment to clear its choice.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

Rect TRadMenu::itemRect(int n) const {
    QAbstractButton* b = groupOf(*this)->button(n);
    if (!b) return Rect{};
    QRect g = b->geometry().translated(impl_->widget->pos());
    return Rect{double(g.top()), double(g.left()), double(g.width()), double(g.height())};
}
