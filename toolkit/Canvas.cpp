#include "Canvas.h"

#include <cstdio>

#include "Text.h"

namespace {

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}
std::string rectText(const Rect& r) {
    return num(r.left) + "," + num(r.top) + " " + num(r.width) + "x" + num(r.height);
}
std::string pointText(Point p) {
    return num(p.x) + "," + num(p.y);
}

}  // namespace

std::string colorText(Color c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", redOf(c), greenOf(c), blueOf(c));
    return buf;
}

void RecordingCanvas::setPen(Color color, double width, PenStyle style) {
    static const char* styles[] = {"solid", "dot", "dash", "none"};
    ops_.push_back("pen " + colorText(color) + " " + num(width) + " " + styles[int(style)]);
}
void RecordingCanvas::setBrush(std::optional<Color> fill) {
    ops_.push_back("brush " + (fill ? colorText(*fill) : std::string("hollow")));
}
void RecordingCanvas::setFont(const FontSpec& f) {
    font_ = f;
    ops_.push_back("font " + f.face + " " + num(f.width) + "x" + num(f.height) +
                   (f.bold ? " bold" : "") + (f.italic ? " italic" : "") +
                   (f.angle != 0 ? " angle " + num(f.angle) : ""));
}
void RecordingCanvas::setTextColor(Color color) {
    ops_.push_back("textColor " + colorText(color));
}
void RecordingCanvas::fillRect(const Rect& r, Color color) {
    ops_.push_back("fillRect " + rectText(r) + " " + colorText(color));
}
void RecordingCanvas::rectangle(const Rect& r) {
    ops_.push_back("rectangle " + rectText(r));
}
void RecordingCanvas::line(Point from, Point to) {
    ops_.push_back("line " + pointText(from) + " " + pointText(to));
}
void RecordingCanvas::polygon(const std::vector<Point>& points) {
    std::string s = "polygon";
    for (Point p : points) s += " " + pointText(p);
    ops_.push_back(s);
}
void RecordingCanvas::pie(const Rect& r, double startDeg, double spanDeg) {
    ops_.push_back("pie " + rectText(r) + " " + num(startDeg) + " " + num(spanDeg));
}
void RecordingCanvas::text(const Rect& r, const std::string& s, int align) {
    ops_.push_back("text " + rectText(r) + " " + num(align) + " " + s);
}
void RecordingCanvas::picture(const Picture& p, const Rect& dest) {
    ops_.push_back("picture " + num(p.width) + "x" + num(p.height) + " " + rectText(dest));
}
double RecordingCanvas::textWidth(const std::string& s) {
    double perChar = font_.width > 0 ? font_.width : font_.height / 2.0;
    return perChar * double(text::length(s));
}
double RecordingCanvas::textHeight() {
    return font_.height;
}

std::vector<std::string> RecordingCanvas::opsOf(const std::string& verb) const {
    std::vector<std::string> out;
    for (const auto& op : ops_)
        if (op.compare(0, verb.size() + 1, verb + " ") == 0) out.push_back(op);
    return out;
}
