#include "ScaledCanvas.h"

#include <algorithm>
#include <cmath>

ScaledCanvas::ScaledCanvas(Canvas& target, double scale, Point offset)
    : target_(target), scale_(scale > 0 ? scale : 1), offset_(offset) {}

Rect ScaledCanvas::toTarget(const Rect& r) const {
    return Rect{offset_.y + r.top * scale_, offset_.x + r.left * scale_, r.width * scale_, r.height * scale_};
}
Point ScaledCanvas::toTarget(Point p) const {
    return Point{offset_.x + p.x * scale_, offset_.y + p.y * scale_};
}

void ScaledCanvas::setPen(Color color, double width, PenStyle style) {
    target_.setPen(color, width * scale_, style);
}
void ScaledCanvas::setBrush(std::optional<Color> fill) {
    target_.setBrush(fill);
}
void ScaledCanvas::setFont(const FontSpec& font) {
    FontSpec f = font;
    f.height = std::max(1, int(std::floor(font.height * scale_)));
    if (font.width > 0) f.width = std::max(1, int(std::floor(font.width * scale_)));
    target_.setFont(f);
}
void ScaledCanvas::setTextColor(Color color) {
    target_.setTextColor(color);
}
void ScaledCanvas::fillRect(const Rect& r, Color color) {
    target_.fillRect(toTarget(r), color);
}
void ScaledCanvas::rectangle(const Rect& r) {
    target_.rectangle(toTarget(r));
}
void ScaledCanvas::line(Point from, Point to) {
    target_.line(toTarget(from), toTarget(to));
}
void ScaledCanvas::polygon(const std::vector<Point>& points) {
    std::vector<Point> moved;
    moved.reserve(points.size());
    for (Point p : points) moved.push_back(toTarget(p));
    target_.polygon(moved);
}
void ScaledCanvas::pie(const Rect& r, double startDeg, double spanDeg) {
    target_.pie(toTarget(r), startDeg, spanDeg);
}
void ScaledCanvas::text(const Rect& r, const std::string& s, int align) {
    target_.text(toTarget(r), s, align);
}
void ScaledCanvas::picture(const Picture& p, const Rect& dest) {
    target_.picture(p, toTarget(dest));
}
double ScaledCanvas::textWidth(const std::string& s) {
    return target_.textWidth(s) / scale_;
}
double ScaledCanvas::textHeight() {
    return target_.textHeight() / scale_;
}
