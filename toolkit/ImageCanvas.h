#pragma once
// A canvas that draws for real into an image held in memory (see Canvas.h). Used to
// render drawings into files, to grab windows in tests and, through the same painter
// code, by windows when they paint.
#include <memory>
#include <string>

#include "Canvas.h"

class ImageCanvas : public Canvas {
  public:
    ImageCanvas(int width, int height, Color background = colors::white);
    ~ImageCanvas() override;

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

    // What has been drawn so far.
    Picture toPicture();
    // Writes a PNG file; false when the file cannot be written.
    bool savePng(const std::string& path);

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};
