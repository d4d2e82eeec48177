#include "MsgBar.h"

#include <algorithm>

#include <QPainter>
#include <QWidget>

#include "Window.h"
#include "internal/CanvasWidget.h"
#include "internal/Widgets.h"

namespace {

using MsgBarWidget = CanvasWidget<TMsgBar>;

std::unique_ptr<ControlImpl> msgBarImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new MsgBarWidget(parent.impl().client);
    return impl;
}

constexpr Color kShadow = RGB(160, 160, 160);
constexpr double kIndent = 4;  // pixels before the message and the items' texts

// A sunken panel: dark top and left edges, light bottom and right ones.
void sunken(Canvas& c, const Rect& r) {
    c.setPen(kShadow, 1, PenStyle::Solid);
    c.line({r.left + 0.5, r.top + 0.5}, {r.right() - 0.5, r.top + 0.5});
    c.line({r.left + 0.5, r.top + 0.5}, {r.left + 0.5, r.bottom() - 0.5});
    c.setPen(colors::white, 1, PenStyle::Solid);
    c.line({r.left + 0.5, r.bottom() - 0.5}, {r.right() - 0.5, r.bottom() - 0.5});
    c.line({r.right() - 0.5, r.top + 0.5}, {r.right() - 0.5, r.bottom() - 0.5});
}

}  // namespace

// ---- items ------------------------------------------------------------------------------

TMsgItem::TMsgItem(TMsgBar& bar, MsgItemOptions options) : bar_(bar), options_(std::move(options)) {}

int TMsgItem::width() const {
    return std::max(options_.width, bar_.font().textWidth(options_.text) + 8);
}

void TMsgItem::SetText(const std::string& text) {
    if (options_.text == text) return;
    options_.text = text;
    bar_.Refresh();
}

void TMsgItem::setColors(Color text, Color back) {
    options_.textColor = text;
    options_.backColor = back;
    bar_.Refresh();
}

Rect TMsgItem::rect() const {
    for (size_t i = 0; i < bar_.items().size(); ++i)
        if (bar_.items()[i].get() == this) return bar_.itemRect(i);
    return Rect{};
}

// ---- the bar ----------------------------------------------------------------------------

TMsgBar::TMsgBar(TWindowBase& parent, MsgBarOptions o)
    : TControl(parent, o.id, Rect{}, msgBarImpl(parent)), msgDef_(std::move(o.msgDef)) {
    static_cast<MsgBarWidget*>(impl_->widget.data())->owner = this;
    impl_->widget->resize(parent.width(), barHeight());
    parent.setMsgBar(this);
    parent.dockBottom(this);
}

TMsgBar::~TMsgBar() {
    // The widget is gone already when the window went first (a child of a closed frame).
    if (auto* w = static_cast<MsgBarWidget*>(impl_->widget.data())) w->owner = nullptr;
    if (parent().msgBar() == this) parent().setMsgBar(nullptr);
    parent().undock(this);
}

void TMsgBar::SetMsg(const std::string& message) {
    msgDef_ = message;
    Refresh();
}

void TMsgBar::showStatus(const std::string& message) {
    if (status_ == message) return;
    status_ = message;
    Refresh();
}

void TMsgBar::Refresh() {
    impl_->widget->update();
}

TMsgItem* TMsgBar::AddItem(MsgItemOptions options) {
    items_.push_back(std::make_unique<TMsgItem>(*this, std::move(options)));
    Refresh();
    return items_.back().get();
}

Rect TMsgBar::itemRect(size_t i) const {
    double right = pixelRect().width - kItemGap;
    for (size_t k = items_.size(); k-- > i + 1;) right -= items_[k]->width() + kItemGap;
    double w = i < items_.size() ? items_[i]->width() : 0;
    return Rect{2, right - w, w, std::max(pixelRect().height - 3, 0.0)};
}

int TMsgBar::barHeight() const {
    return font_.textHeight() + 8;
}

void TMsgBar::Paint(Canvas& c) {
    Rect px = pixelRect();
    c.fillRect(Rect{0, 0, px.width, px.height}, colors::buttonFace);
    c.setPen(kShadow, 1, PenStyle::Solid);
    c.line({0, 0.5}, {px.width, 0.5});
    c.setFont(font_.spec());
    double messageRight = items_.empty() ? px.width - kItemGap : itemRect(0).left - kItemGap;
    Rect message{2, kItemGap, std::max(messageRight - kItemGap, 0.0), std::max(px.height - 3, 0.0)};
    sunken(c, message);
    c.setTextColor(colors::black);
    c.text(Rect{message.top, message.left + kIndent, std::max(message.width - 2 * kIndent, 0.0), message.height},
           cMsg(), TextAlign::Left | TextAlign::VCenter | TextAlign::SingleLine);
    for (size_t i = 0; i < items_.size(); ++i) {
        Rect r = itemRect(i);
        c.fillRect(r, items_[i]->backColor());
        sunken(c, r);
        c.setTextColor(items_[i]->textColor());
        c.text(Rect{r.top, r.left + kIndent, std::max(r.width - 2 * kIndent, 0.0), r.height}, items_[i]->text(),
               TextAlign::Left | TextAlign::VCenter | TextAlign::SingleLine);
    }
}
