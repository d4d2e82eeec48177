#include "Bitmap.h"

#include <QPainter>
#include <QWidget>

#include "Resources.h"
#include "Window.h"
#include "internal/PainterCanvas.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

// Paints its owner's picture through the canvas.
class PictureWidget : public QWidget {
  public:
    PictureWidget(QWidget* parent) : QWidget(parent) {}
    const TBitmap* owner = nullptr;
    bool border = false;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!owner || owner->picture().empty()) return;
        QPainter painter(this);
        PainterCanvas canvas(painter);
        const Picture& p = owner->picture();
        Rect dest = owner->stretch() ? Rect{0, 0, double(width()), double(height())}
                                     : Rect{0, 0, double(p.width), double(p.height)};
        canvas.picture(p, dest);
        if (border) {
            canvas.setPen(colors::black, 1, PenStyle::Solid);
            canvas.rectangle(Rect{0, 0, double(width() - 1), double(height() - 1)});
        }
    }
};

std::unique_ptr<ControlImpl> pictureImpl(TWindowBase& parent, bool border) {
    auto impl = std::make_unique<ControlImpl>();
    auto* w = new PictureWidget(parent.impl().client);
    w->border = border;
    impl->widget = w;
    return impl;
}

}  // namespace

TBitmap::TBitmap(TWindowBase& parent, BitmapOptions o)
    : TControl(parent, o.id, o.rect, pictureImpl(parent, o.border)),
      stretch_(o.stretch),
      asked_(o.rect) {
    static_cast<PictureWidget*>(impl_->widget.data())->owner = this;
    if (!o.resource.empty())
        loadResource(o.resource);
    else if (!o.bytes.empty())
        LoadFromString(o.bytes);
}

bool TBitmap::LoadFromString(const std::string& bmpBytes) {
    Picture p = pictureFromBmp(
        std::span(reinterpret_cast<const uint8_t*>(bmpBytes.data()), bmpBytes.size()),
        "bitmap bytes");
    if (p.empty()) return false;
    setPicture(p);
    return true;
}

bool TBitmap::loadResource(const std::string& name) {
    Picture p = resourcePicture(name);
    if (p.empty()) return false;
    setPicture(p);
    return true;
}

void TBitmap::setPicture(const Picture& p) {
    picture_ = p;
    fitToPicture();
    impl_->widget->update();
}

void TBitmap::setStretch(bool on) {
    stretch_ = on;
    impl_->widget->update();
}

// A control asked without a size takes the picture's size (in pixels, whatever the units).
void TBitmap::fitToPicture() {
    if (asked_.width > 0 && asked_.height > 0) return;
    QRect g = impl_->widget->geometry();
    impl_->widget->setGeometry(g.x(), g.y(), picture_.width, picture_.height);
}

TIcon TIcon::fromResource(const std::string& name) {
    return TIcon(resourcePicture(name));
}
