#include "BtnBmp.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "Bar.h"
#include "Resources.h"
#include "Window.h"
#include "bmpCodec.h"
#include "internal/CanvasWidget.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

constexpr Color kFacePressed = RGB(218, 218, 218), kFaceHover = RGB(250, 250, 250);
constexpr Color kLight = colors::white, kShadow = RGB(128, 128, 128);

// Passes the mouse, keys and painting of the widget to its button.
class BtnBmpWidget : public CanvasWidget<TBtnBmp> {
  public:
    explicit BtnBmpWidget(QWidget* parent) : CanvasWidget(parent) { setMouseTracking(true); }

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (!owner || !isEnabled()) return;
        QPoint at = e->position().toPoint();
        if (e->button() == Qt::RightButton) {
            if (owner->bRClicked) owner->bRClicked(*owner, at.y(), at.x());
            return;
        }
        if (e->button() != Qt::LeftButton) return;
        if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
        owner->setPressed(true);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!owner) return;
        QPoint at = e->position().toPoint();
        // While held down the pressed look follows the mouse in and out of the button.
        if (e->buttons() & Qt::LeftButton) owner->setPressed(rect().contains(at));
        if (owner->bMMoved) owner->bMMoved(*owner, at.y(), at.x());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (!owner || e->button() != Qt::LeftButton || !owner->pressed()) return;
        owner->setPressed(false);
        if (rect().contains(e->position().toPoint())) owner->Click();  // may destroy us
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (owner && (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return ||
                      e->key() == Qt::Key_Enter)) {
            owner->Click();
            return;
        }
        QWidget::keyPressEvent(e);
    }
    void enterEvent(QEnterEvent*) override {
        if (owner) owner->setHovered(true);
    }
    void leaveEvent(QEvent*) override {
        if (owner) owner->setHovered(false);
    }
    void changeEvent(QEvent* e) override {
        QWidget::changeEvent(e);
        if (e->type() == QEvent::EnabledChange) update();
    }
};

std::unique_ptr<ControlImpl> buttonImpl(TWindowBase& parent, TBar* bar) {
    auto impl = std::make_unique<ControlImpl>();
    auto* w = new BtnBmpWidget(bar ? bar->impl().widget.data() : parent.impl().client.data());
    // Bar buttons leave the focus where it is, as tool buttons do.
    w->setFocusPolicy(bar ? Qt::NoFocus : Qt::StrongFocus);
    impl->widget = w;
    return impl;
}

BtnBmpWidget* widgetOf(const TBtnBmp& b) {
    return static_cast<BtnBmpWidget*>(b.impl().widget.data());
}

Color blend(Color over, Color under, int alpha) {
    auto m = [alpha](int a, int b) { return (a * alpha + b * (255 - alpha) + 127) / 255; };
    return RGB(m(redOf(over), redOf(under)), m(greenOf(over), greenOf(under)),
               m(blueOf(over), blueOf(under)));
}

// The disabled look: the picture's brightness as a pale grey over the face.
Color greyed(Color c, Color face) {
    int level = (redOf(c) * 30 + greenOf(c) * 59 + blueOf(c) * 11) / 100;
    int v = 96 + level * 5 / 8;
    return blend(RGB(v, v, v), face, 150);
}

void frame(Canvas& c, double w, double h, Color topLeft, Color bottomRight) {
    c.setPen(topLeft, 1, PenStyle::Solid);
    c.line({0.5, h - 1}, {0.5, 0.5});
    c.line({0.5, 0.5}, {w - 1, 0.5});
    c.setPen(bottomRight, 1, PenStyle::Solid);
    c.line({w - 0.5, 0.5}, {w - 0.5, h - 0.5});
    c.line({w - 0.5, h - 0.5}, {0.5, h - 0.5});
}

}  // namespace

TBtnBmp::TBtnBmp(TWindowBase& parent, BtnBmpOptions o)
    : TControl(parent, o.id, o.rect, buttonImpl(parent, o.bar)),
      options_(std::move(o)),
      bar_(options_.bar) {
    bAction = std::move(options_.action);
    bWhen = std::move(options_.bWhen);
    widgetOf(*this)->owner = this;
    setToolTip(options_.toolTip);
    if (!options_.resName1.empty()) loadResource(1, options_.resName1);
    if (!options_.resName2.empty()) loadResource(2, options_.resName2);
    if (bar_) bar_->attach(this);
}

TBtnBmp::~TBtnBmp() {
    if (auto* w = widgetOf(*this)) w->owner = nullptr;
    if (bar_) bar_->detach(this);
    for (Slot& s : slots_) freeSlot(s);
}

Rect TBtnBmp::windowRect() const {
    Rect r = pixelRect();
    if (bar_) {
        Rect b = bar_->pixelRect();
        r.top += b.top;
        r.left += b.left;
    }
    return r;
}

void TBtnBmp::Click() {
    if (!enabled() || (bWhen && !bWhen())) return;
    if (bAction) bAction(*this);
}

void TBtnBmp::Paint(Canvas& c) {
    Rect px = pixelRect();
    const double w = px.width, h = px.height;
    c.fillRect(Rect{0, 0, w, h}, faceColor());
    if (pressed_)
        frame(c, w, h, kShadow, kLight);
    else if (!bar_ || (hovered_ && enabled()))  // bar buttons are flat until the mouse comes
        frame(c, w, h, kLight, kShadow);
    Picture p = currentPicture();
    if (!p.empty()) {
        double push = pressed_ ? 1 : 0;
        double left = std::floor((w - p.width) / 2) + push,
               top = std::floor((h - p.height) / 2) + push;
        c.picture(p, Rect{top, left, double(p.width), double(p.height)});
    }
    if (!bar_ && hasFocus()) {
        c.setPen(colors::black, 1, PenStyle::Dot);
        c.setBrush(std::nullopt);
        c.rectangle(Rect{3.5, 3.5, w - 7, h - 7});
    }
}

void TBtnBmp::Enable() {
    enable(true);
    repaint();
}
void TBtnBmp::Disable() {
    pressed_ = false;
    enable(false);
    repaint();
}

void TBtnBmp::Destroy() {
    parent().destroyControl(this);
}

TBtnBmp::Slot* TBtnBmp::slot(int k) {
    return k >= 1 && k <= 4 ? &slots_[k - 1] : nullptr;
}
const TBtnBmp::Slot* TBtnBmp::slot(int k) const {
    return k >= 1 && k <= 4 ? &slots_[k - 1] : nullptr;
}

void TBtnBmp::freeSlot(Slot& s) {
    if (s.own && s.handle) DeleteMemBitmap(s.handle);
    s = Slot();
}

int TBtnBmp::hBitmap(int k) const {
    const Slot* s = slot(k);
    return s ? s->handle : 0;
}

void TBtnBmp::setBitmap(int k, int handle, bool own) {
    Slot* s = slot(k);
    if (!s) return;
    freeSlot(*s);
    s->handle = handle;
    s->own = own;
    if (bar_ && k == 1) bar_->layout();  // an adjusted button follows its picture's width
    repaint();
}

bool TBtnBmp::loadBitmap(int k, std::span<const uint8_t> bytes) {
    if (!slot(k)) return false;
    int handle = CreateMemBitmap(bytes);
    if (!handle) return false;
    setBitmap(k, handle, true);
    slot(k)->alpha = bmpAlpha(bytes);
    return true;
}

bool TBtnBmp::loadResource(int k, const std::string& name) {
    auto bytes = resourceBytes(name);
    if (bytes.empty()) {
        resourcePicture(name);  // raises the toolkit's "not found" error record
        return false;
    }
    return loadBitmap(k, bytes);
}

bool TBtnBmp::HasAlpha(int k) const {
    const Slot* s = slot(k);
    return s && !s->alpha.empty();
}

void TBtnBmp::setToolTip(const std::string& text) {
    toolTip_ = text;
    impl_->widget->setToolTip(qs(text));
}

bool TBtnBmp::focusNextControl() {
    QWidget* self = impl_->widget;
    QWidget* top = self->window();
    for (QWidget* n = self->nextInFocusChain(); n && n != self; n = n->nextInFocusChain()) {
        if (n->window() == top && n->isEnabled() && n->isVisibleTo(top) &&
            (n->focusPolicy() & Qt::TabFocus)) {
            n->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

void TBtnBmp::setPressed(bool on) {
    if (pressed_ == on) return;
    pressed_ = on;
    repaint();
}
void TBtnBmp::setHovered(bool on) {
    if (hovered_ == on) return;
    hovered_ = on;
    // The status message shows while the mouse is over the button.
    if (!options_.message.empty()) oWnd().showStatus(on ? options_.message : "");
    repaint();
}

Color TBtnBmp::faceColor() const {
    if (pressed_) return kFacePressed;
    if (hovered_ && enabled()) return kFaceHover;
    return colors::buttonFace;
}

Picture TBtnBmp::currentPicture() const {
    int k = 1;
    bool grey = false;
    if (!enabled()) {
        if (slots_[2].handle)
            k = 3;
        else
            grey = true;
    } else if (pressed_ && slots_[1].handle)
        k = 2;
    else if (hovered_ && slots_[3].handle)
        k = 4;
    const Slot& s = slots_[k - 1];
    const Picture* source = memBitmap(s.handle);
    if (!source || source->empty()) return Picture();
    Picture p = *source;
    const Color face = faceColor();
    const uint32_t key = p.pixels.front();
    const bool alpha = s.alpha.size() == p.pixels.size();
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        Color c = Picture::fromWord(p.pixels[i]);
        if (!alpha && options_.transparent && p.pixels[i] == key) {
            c = face;
        } else {
            if (alpha) c = blend(c, face, s.alpha[i]);
            if (grey) c = greyed(c, face);
        }
        p.pixels[i] = Picture::toWord(c);
    }
    return p;
}

void TBtnBmp::repaint() {
    impl_->widget->update();
}
