#pragma once
// A widget that an owner of the toolkit paints through the canvas (owner->Paint(canvas)).
// The owner goes before its widget: it sets `owner` to nullptr and the widget is inert.
#include <QPainter>
#include <QWidget>

#include "PainterCanvas.h"

template <class Owner>
class CanvasWidget : public QWidget {
  public:
    explicit CanvasWidget(QWidget* parent) : QWidget(parent) {}
    Owner* owner = nullptr;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!owner) return;
        QPainter painter(this);
        PainterCanvas canvas(painter);
        owner->Paint(canvas);
    }
};
