#pragma once
// Canvas: where drawing code draws. Rectangles, lines, polygons, pie slices, text with
// alignment flags, pictures, fonts, pens and brushes, in pixels with fractions allowed.
//
// Grid, chart and picture code draws only through this interface, so one drawing serves
// a window, an image file and a printer page, and tests can check geometry:
//  - ImageCanvas (ImageCanvas.h) draws for real into an image that can be saved as PNG
//    or BMP or read back pixel by pixel; windows paint through the same painter code;
//  - RecordingCanvas (below) draws nothing and records every call as one line of text
//    ("fillRect 10,20 30x40 #ff0000"); its text metrics are fixed (each character is
//    half the font height wide, or the font's width when given; a line is the font
//    height high) so that layout numbers do not depend on installed fonts.
#include <optional>
#include <string>
#include <vector>

#include "Color.h"
#include "Font.h"
#include "Geometry.h"
#include "Picture.h"

namespace TextAlign {
constexpr int Left = 0, Center = 1, Right = 2;
constexpr int Top = 0, VCenter = 4, Bottom = 8;
constexpr int SingleLine = 16, WordBreak = 32;
}  // namespace TextAlign

enum class PenStyle { Solid, Dot, Dash, None };

class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual void setPen(Color color, double width = 1, PenStyle style = PenStyle::Solid) = 0;
    // Fill of rectangles, polygons and pies; no value: hollow.
    virtual void setBrush(std::optional<Color> fill) = 0;
    virtual void setFont(const FontSpec& font) = 0;
    virtual void setTextColor(Color color) = 0;

    virtual void fillRect(const Rect& r, Color color) = 0;
    virtual void rectangle(const Rect& r) = 0;  // outlined with the pen, filled with the brush
    virtual void line(Point from, Point to) = 0;
    virtual void polygon(const std::vector<Point>& points) = 0;
    // Slice of the ellipse inside `r`; angles in degrees clockwise from the top.
    virtual void pie(const Rect& r, double startDeg, double spanDeg) = 0;
    virtual void text(const Rect& r, const std::string& text, int align) = 0;
    virtual void picture(const Picture& p, const Rect& dest) = 0;  // stretched to dest

    virtual double textWidth(const std::string& text) = 0;
    virtual double textHeight() = 0;
};

class RecordingCanvas : public Canvas {
  public:
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

    const std::vector<std::string>& ops() const { return ops_; }
    // The recorded lines that start with `verb`.
    std::vector<std::string> opsOf(const std::string& verb) const;
    void clear() { ops_.clear(); }

  private:
    std::vector<std::string> ops_;
    FontSpec font_;
};

// "#rrggbb" of a colour, as the recording canvas writes it.
std::string colorText(Color c);
