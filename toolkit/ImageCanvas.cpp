#include "ImageCanvas.h"

#include <QImage>
#include <QPainter>

#include "App.h"
#include "internal/PainterCanvas.h"
#include "internal/QtBridge.h"

struct ImageCanvas::Impl {
    QImage image;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<PainterCanvas> canvas;

    Impl(int w, int h, Color background)
        : image(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32) {
        image.fill(toQColor(background));
        painter = std::make_unique<QPainter>(&image);
        painter->setRenderHint(QPainter::TextAntialiasing);
        canvas = std::make_unique<PainterCanvas>(*painter);
    }
};

ImageCanvas::ImageCanvas(int width, int height, Color background) {
    appEnsure();  // fonts need the application
    d_ = std::make_unique<Impl>(width, height, background);
}
ImageCanvas::~ImageCanvas() = default;

void ImageCanvas::setPen(Color c, double w, PenStyle s) {
    d_->canvas->setPen(c, w, s);
}
void ImageCanvas::setBrush(std::optional<Color> fill) {
    d_->canvas->setBrush(fill);
}
void ImageCanvas::setFont(const FontSpec& f) {
    d_->canvas->setFont(f);
}
void ImageCanvas::setTextColor(Color c) {
    d_->canvas->setTextColor(c);
}
void ImageCanvas::fillRect(const Rect& r, Color c) {
    d_->canvas->fillRect(r, c);
}
void ImageCanvas::rectangle(const Rect& r) {
    d_->canvas->rectangle(r);
}
void ImageCanvas::line(Point a, Point b) {
    d_->canvas->line(a, b);
}
void ImageCanvas::polygon(const std::vector<Point>& pts) {
    d_->canvas->polygon(pts);
}
void ImageCanvas::pie(const Rect& r, double s, double span) {
    d_->canvas->pie(r, s, span);
}
void ImageCanvas::text(const Rect& r, const std::string& t, int a) {
    d_->canvas->text(r, t, a);
}
void ImageCanvas::picture(const Picture& p, const Rect& dest) {
    d_->canvas->picture(p, dest);
}
double ImageCanvas::textWidth(const std::string& t) {
    return d_->canvas->textWidth(t);
}
double ImageCanvas::textHeight() {
    return d_->canvas->textHeight();
}

// The raster painter draws straight into the image, so the image can be read while the
// painter stays open with its pen, brush and font.
Picture ImageCanvas::toPicture() {
    return fromQImage(d_->image);
}
bool ImageCanvas::savePng(const std::string& path) {
    return d_->image.save(qs(path), "PNG");
}
