#include "PainterCanvas.h"

#include <QFontMetricsF>
#include <QPolygonF>

#include "QtBridge.h"

namespace {
QRectF toQRectF(const Rect& r) {
    return QRectF(r.left, r.top, r.width, r.height);
}
}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter) : p_(painter) {
    p_.setFont(toQFont(font_));
    p_.setBrush(Qt::NoBrush);
}

void PainterCanvas::setPen(Color color, double width, PenStyle style) {
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DotLine, Qt::DashLine, Qt::NoPen};
    pen_ = QPen(toQColor(color), width, styles[int(style)]);
    p_.setPen(pen_);
}
void PainterCanvas::setBrush(std::optional<Color> fill) {
    p_.setBrush(fill ? QBrush(toQColor(*fill)) : QBrush(Qt::NoBrush));
}
void PainterCanvas::setFont(const FontSpec& font) {
    font_ = font;
    p_.setFont(toQFont(font));
}
void PainterCanvas::setTextColor(Color color) {
    textColor_ = color;
}
void PainterCanvas::fillRect(const Rect& r, Color color) {
    p_.fillRect(toQRectF(r), toQColor(color));
}
void PainterCanvas::rectangle(const Rect& r) {
    p_.drawRect(toQRectF(r));
}
void PainterCanvas::line(Point from, Point to) {
    p_.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
}
void PainterCanvas::polygon(const std::vector<Point>& points) {
    QPolygonF poly;
    for (Point pt : points) poly << QPointF(pt.x, pt.y);
    p_.drawPolygon(poly);
}
void PainterCanvas::pie(const Rect& r, double startDeg, double spanDeg) {
    // The painter counts sixteenths of a degree counter-clockwise from three o'clock.
    int start = int((90 - startDeg) * 16);
    p_.drawPie(toQRectF(r), start, int(-spanDeg * 16));
}
void PainterCanvas::text(const Rect& r, const std::string& s, int align) {
    p_.save();
    p_.setPen(toQColor(textColor_));
    if (font_.angle != 0) {
        // Rotated text turns around the rectangle's centre.
        QPointF c(r.left + r.width / 2, r.top + r.height / 2);
        p_.translate(c);
        p_.rotate(-font_.angle);
        p_.drawText(QRectF(-r.height / 2, -r.width / 2, r.height, r.width), toQtAlign(align),
                    qs(s));
    } else {
        p_.drawText(toQRectF(r), toQtAlign(align), qs(s));
    }
    p_.restore();
}
void PainterCanvas::picture(const Picture& pic, const Rect& dest) {
    p_.drawImage(toQRectF(dest), toQImage(pic));
}
double PainterCanvas::textWidth(const std::string& s) {
    return QFontMetricsF(p_.font()).horizontalAdvance(qs(s));
}
double PainterCanvas::textHeight() {
    return QFontMetricsF(p_.font()).height();
}
