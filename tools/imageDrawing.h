#pragma once
// Plain-arithmetic drawing on a Picture for the image tool: rectangles, polygons, thick
// lines, ellipses and text in a 5 x 7 pixel font. No windowing system and no floating
// point that depends on the machine beyond IEEE doubles, so every machine draws the same
// pixels.
#include <string>
#include <utility>
#include <vector>

#include "Picture.h"

constexpr double kPi = 3.14159265358979323846;

using Points = std::vector<std::pair<double, double>>;

// `a` moved towards `b` by t (0 keeps a, 1 gives b).
Color mix(Color a, Color b, double t);
void fillRect(Picture& p, int x0, int y0, int w, int h, Color c);
// Even-odd scanline fill of a polygon given in picture coordinates.
void fillPolygon(Picture& p, const Points& pts, Color c);
void thickLine(Picture& p, double x1, double y1, double x2, double y2, double width, Color c);
// The ellipse inside the box (x, y, w, h).
void fillEllipse(Picture& p, double x, double y, double w, double h, Color c);
// A regular star with `tips` points centred on (cx, cy).
void fillStar(Picture& p, double cx, double cy, double outer, double inner, int tips, Color c);

// Text in the built-in font (capital letters, digits and blank), each font pixel drawn as
// a square of `scale` pixels, one font pixel between letters.
constexpr int kGlyphWidth = 5, kGlyphHeight = 7;
int textWidth(const std::string& text, int scale);
// Returns false, drawing nothing, when the text holds a character the font lacks.
bool drawText(Picture& p, int x, int y, const std::string& text, int scale, Color c);
