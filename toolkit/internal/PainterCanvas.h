#pragma once
// The canvas over a painter: the one real drawing implementation, used by ImageCanvas
// and by widgets when they paint.
#include <QPainter>

#include "Canvas.h"

class PainterCanvas : public Canvas {
  public:
    explicit PainterCanvas(QPainter& painter);

    void setPen(Color color, double width, PenStyle style) override;
    void setBrush(std::optional<Color> fill) override;
    void setFont(const FontSpec& font) override;
    void setTextColor(Color color) override;
    void fillRect(const Rect& r, Color color) override;
    void rectangle(const Rect& r) override;
    void line(Point from, Point to) override;
    void polygon(const std::vector<Point>& points) override;
    void pie(const Rect& r, double startDeg, double spanDeg) override;
    void text(const Rect& r, const std::string& text, int align) override;
    void picture(const Picture& p, const Rect& dest) override;
    double textWidth(const std::string& text) override;
    double textHeight() override;

  private:
    QPainter& p_;
    QPen pen_;
    Color textColor_ = colors::black;
    FontSpec font_;
};
