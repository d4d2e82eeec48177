#include "Control.h"

#include <QPushButton>
#include <QShortcutEvent>
#include <cmath>

#include "Window.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

std::unique_ptr<ControlImpl> implFor(QWidget* w) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = w;
    return impl;
}

LabelWidget* labelOf(const TControl& c) {
    return static_cast<LabelWidget*>(c.impl().widget.data());
}

}  // namespace

TControl::TControl(TWindowBase& parent, int id, const Rect& r, std::unique_ptr<ControlImpl> impl)
    : parent_(parent), id_(id), impl_(std::move(impl)) {
    if (id != 0) impl_->widget->setObjectName(QStringLiteral("id%1").arg(id));
    move(r);
    impl_->widget->show();
}

TControl::~TControl() {
    delete impl_->widget.data();
}

std::string TControl::caption() const {
    return utf8(impl_->widget->property("text").toString());
}
void TControl::setCaption(const std::string& caption) {
    impl_->widget->setProperty("text", qs(caption));
}

Rect TControl::rect() const {
    return impl_->rect;
}
void TControl::move(const Rect& r) {
    impl_->rect = r;
    impl_->widget->setGeometry(toQRect(r, parent_.units()));
}
Rect TControl::pixelRect() const {
    QRect g = impl_->widget->geometry();
    return Rect{double(g.top()), double(g.left()), double(g.width()), double(g.height())};
}

Point TControl::toScreen(Point p) const {
    QPoint g = impl_->widget->mapToGlobal(QPoint(int(std::lround(p.x)), int(std::lround(p.y))));
    return Point{double(g.x()), double(g.y())};
}

void TControl::show() {
    impl_->widget->show();
}
void TControl::hide() {
    impl_->widget->hide();
}
bool TControl::visible() const {
    return impl_->widget->isVisibleTo(impl_->widget->parentWidget());
}
void TControl::enable(bool on) {
    impl_->widget->setEnabled(on);
}
bool TControl::enabled() const {
    return impl_->widget->isEnabled();
}
void TControl::setFocus() {
    impl_->widget->setFocus(Qt::OtherFocusReason);
}
void TControl::setTabNext(TControl& next) {
    QWidget::setTabOrder(impl_->widget, next.impl_->widget);
}

bool TControl::hasFocus() const {
    QWidget* w = impl_->widget;
    // A hidden window remembers the control that gets the focus when it shows.
    return w->hasFocus() || w->window()->focusWidget() == w;
}

void TControl::setCursor(MouseCursor cursor) {
    impl_->widget->setCursor(cursor == MouseCursor::Hand ? Qt::PointingHandCursor
                                                         : Qt::ArrowCursor);
}
MouseCursor TControl::cursor() const {
    return impl_->widget->cursor().shape() == Qt::PointingHandCursor ? MouseCursor::Hand
                                                                     : MouseCursor::Arrow;
}

void TControl::setFont(const TFont& font) {
    font_ = font;
    impl_->widget->setFont(toQFont(font.spec()));
}

void TControl::setColors(Color text, std::optional<Color> back) {
    textColor_ = text;
    backColor_ = back;
    QWidget* w = impl_->widget;
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, toQColor(text));
    pal.setColor(QPalette::ButtonText, toQColor(text));
    if (back) {
        pal.setColor(QPalette::Window, toQColor(*back));
        pal.setColor(QPalette::Button, toQColor(*back));
    }
    w->setPalette(pal);
    w->setAutoFillBackground(back.has_value());
}

// ---- TSay -------------------------------------------------------------------------------

TSay::TSay(TWindowBase& parent, SayOptions o)
    : TControl(parent, o.id, o.rect, implFor(new LabelWidget(parent.impl().client))),
      align_(o.align) {
    setCaption(o.text);
    setAlign(o.align);
    setFont(o.font.value_or(TFont()));
    setColors(o.textColor.value_or(colors::black), o.backColor);
}

void TSay::setAlign(int align) {
    align_ = align;
    if (indent_ > 0) setIndent(indent_);
    labelOf(*this)->setAlignment(Qt::Alignment(toQtAlign(align & ~TextAlign::WordBreak)));
    labelOf(*this)->setWordWrap(align & TextAlign::WordBreak);
}

// Only the aligned side gets the blank, so the text keeps its row.
void TSay::setIndent(int pixels) {
    indent_ = std::max(pixels, 0);
    bool right = align_ & TextAlign::Right;
    labelOf(*this)->setContentsMargins(right ? 0 : indent_, 0, right ? indent_ : 0, 0);
}

void TSay::setBuddy(TControl& control) {
    labelOf(*this)->setBuddy(control.impl().widget.data());
}

void TSay::setOnLeftClick(std::function<void(int, int)> f) {
    labelOf(*this)->clicks.left = std::move(f);
}
void TSay::setOnRightClick(std::function<void(int, int)> f) {
    labelOf(*this)->clicks.right = std::move(f);
}
void TSay::setOnLeftDoubleClick(std::function<void(int, int)> f) {
    labelOf(*this)->clicks.leftDouble = std::move(f);
}

// ---- TButton ----------------------------------------------------------------------------

namespace {
// A push button whose mnemonic (Alt and its letter) clicks it at once, as the key goes down:
// the keys typed right after it then meet whatever the click did (a box that closed, a
// form made ready for the next record), not the box as it was.
class MnemonicButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(e)->isAmbiguous()) {
            if (isEnabled()) click();
            return true;
        }
        return QPushButton::event(e);
    }
};
}  // namespace

TButton::TButton(TWindowBase& parent, ButtonOptions o)
    : TControl(parent, o.id, o.rect, implFor(new MnemonicButton(parent.impl().client))),
      action_(std::move(o.action)) {
    setCaption(o.caption);
    if (o.font) setFont(*o.font);
    setDefault(o.isDefault);
    QObject::connect(static_cast<QPushButton*>(impl_->widget.data()), &QPushButton::clicked,
                     [this] {
                         if (action_) action_();
                     });
}

void TButton::setPicture(const Picture& picture) {
    auto* b = static_cast<QPushButton*>(impl_->widget.data());
    if (picture.empty()) {
        b->setIcon(QIcon());
        return;
    }
    b->setIcon(QIcon(QPixmap::fromImage(toQImage(picture))));
    QSize room = b->size() - QSize(6, 6);
    b->setIconSize(QSize(picture.width, picture.height).scaled(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio));
}

void TButton::click() {
    static_cast<QPushButton*>(impl_->widget.data())->click();
}
bool TButton::isDefault() const {
    return static_cast<QPushButton*>(impl_->widget.data())->isDefault();
}
void TButton::setDefault(bool on) {
    static_cast<QPushButton*>(impl_->widget.data())->setDefault(on);
}
