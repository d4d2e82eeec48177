#include "CheckBox.h"

#include <QCheckBox>

#include "Window.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

QCheckBox* boxOf(const TControl& c) {
    return static_cast<QCheckBox*>(c.impl().widget.data());
}

std::unique_ptr<ControlImpl> checkImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new QCheckBox(parent.impl().client);
    return impl;
}

}  // namespace

TCheckBox::TCheckBox(TWindowBase& parent, CheckBoxOptions o)
    : TControl(parent, o.id, o.rect, checkImpl(parent)), onChange(std::move(o.onChange)) {
    setCaption(o.caption);
    if (o.font) setFont(*o.font);
    setChecked(o.checked);
    QObject::connect(boxOf(*this), &QCheckBox::clicked, [this](bool on) {
        if (onChange) onChange(*this, on);
    });
}

bool TCheckBox::checked() const {
    return boxOf(*this)->isChecked();
}

void TCheckBox::setChecked(bool on) {
    boxOf(*this)->setChecked(on);
}

void TCheckBox::click() {
    boxOf(*this)->click();
}
