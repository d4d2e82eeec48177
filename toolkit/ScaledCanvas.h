#pragma once
// A canvas that draws onto another canvas moved by an offset and scaled by a factor, so a
// drawing laid out in its own pixels (a browse's lines) lands on part of a page at
// another size. Fonts are scaled with it (their pixel height rounded down, at least 1),
// so text keeps fitting the cells it fitted before. It owns nothing: the target canvas
// must outlive it.
#include "Canvas.h"

class ScaledCanvas : public Canvas {
  public:
    ScaledCanvas(Canvas& target, double scale, Point offset);

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
    // Measured in this canvas's own pixels.
    double textWidth(const std::string& text) override;
    double textHeight() override;

    double scale() const { return scale_; }
    Rect toTarget(const Rect& r) const;
    Point toTarget(Point p) const;

  private:
    Canvas& target_;
    double scale_;
    Point offset_;
};
