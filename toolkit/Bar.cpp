#include "Bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "Resources.h"
#include "Window.h"
#include "internal/CanvasWidget.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

// Paints the bar and passes it the mouse; the buttons are its child widgets.
class BarWidget : public CanvasWidget<TBar> {
  public:
    explicit BarWidget(QWidget* parent) : CanvasWidget(parent) { setMouseTracking(true); }

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        QPoint at = e->position().toPoint();
        if (owner && e->button() == Qt::RightButton && owner->bRClicked)
            owner->bRClicked(*owner, at.y(), at.x());
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        QPoint at = e->position().toPoint();
        if (owner && owner->bMMoved) owner->bMMoved(*owner, at.y(), at.x());
    }
};

std::unique_ptr<ControlImpl> barImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new BarWidget(parent.impl().client);
    return impl;
}

constexpr Color kEtchDark = RGB(160, 160, 160);

}  // namespace

TBar::TBar(TWindowBase& parent, BarOptions o)
    : TControl(parent, o.id, Rect{}, barImpl(parent)), options_(o) {
    static_cast<BarWidget*>(impl_->widget.data())->owner = this;
    impl_->widget->resize(parent.width(), barHeight());
    parent.dockTop(this);
}

TBar::~TBar() {
    static_cast<BarWidget*>(impl_->widget.data())->owner = nullptr;
    // Buttons that outlive the bar (their window frees them later) keep their widgets: they
    // move to the window, hidden, instead of going down with the bar's widget.
    for (TBtnBmp* b : buttons_) {
        b->bar_ = nullptr;
        if (QWidget* w = b->impl().widget) {
            w->hide();
            w->setParent(parent().impl().client);
        }
    }
    parent().undock(this);
}

TBtnBmp* TBar::addButton(BtnBmpOptions o) {
    o.bar = this;
    return parent().add<TBtnBmp>(std::move(o));
}

void TBar::attach(TBtnBmp* b) {
    buttons_.push_back(b);
    layout();
}

void TBar::detach(TBtnBmp* b) {
    buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), b), buttons_.end());
    layout();
}

void TBar::layout() {
    separators_.clear();
    int x = kMargin;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        TBtnBmp* b = buttons_[i];
        if (b->group() && i > 0) {
            separators_.push_back(x + kGroupGap / 2 - 1);
            x += kGroupGap;
        }
        int width = options_.buttonWidth;
        if (b->adjust())
            if (const Picture* p = memBitmap(b->hBitmap(1))) width = p->width + 8;
        b->impl().widget->setGeometry(x, kMargin, width, options_.buttonHeight);
        // The bar places in pixels; the button answers its place in the window's units.
        const double unit = parent().units() == Units::DialogUnits ? 2 : 1;
        b->impl().rect = Rect{kMargin / unit, x / unit, width / unit, options_.buttonHeight / unit};
        x += width + 1;
    }
    nextLeft_ = x + kMargin;
    impl_->widget->update();
}

void TBar::Paint(Canvas& c) {
    Rect px = pixelRect();
    const double w = px.width, h = px.height;
    c.fillRect(Rect{0, 0, w, h}, colors::buttonFace);
    if (options_.is3D) {
        c.setPen(colors::white, 1, PenStyle::Solid);
        c.line({0, 0.5}, {w, 0.5});
        c.setPen(kEtchDark, 1, PenStyle::Solid);
        c.line({0, h - 1.5}, {w, h - 1.5});
        c.setPen(colors::white, 1, PenStyle::Solid);
        c.line({0, h - 0.5}, {w, h - 0.5});
    }
    for (int x : separators_) {
        c.setPen(kEtchDark, 1, PenStyle::Solid);
        c.line({x + 0.5, double(kMargin + 2)},
               {x + 0.5, double(kMargin + options_.buttonHeight - 2)});
        c.setPen(colors::white, 1, PenStyle::Solid);
        c.line({x + 1.5, double(kMargin + 2)},
               {x + 1.5, double(kMargin + options_.buttonHeight - 2)});
    }
}
