#pragma once
// The pieces the chart's drawing shares between its parts (GraphDraw.cpp for the axes,
// bars, lines, legend and titles; GraphPie.cpp for the pie): a canvas with the device's
// scale, colours, value texts and the chart's data made safe to draw.
#include <string>
#include <utility>
#include <vector>

#include "Canvas.h"
#include "Graph.h"

namespace graph {

// The canvas of one drawing and the scale of its device: fixed distances are given in
// screen pixels and multiplied by sx across and sy down; fonts grow with sy.
struct Pen {
    Canvas& canvas;
    double sx = 1, sy = 1;

    double X(double v) const { return v * sx; }
    double Y(double v) const { return v * sy; }
    void font(const FontSpec& f);
    // The line height of a font, in device pixels.
    double heightOf(const FontSpec& f);
    double widthOf(const FontSpec& f, const std::string& s);
    // Nothing is drawn for a rectangle without area.
    void fill(const Rect& r, Color c);
    // Text in the current font and `color`, cut with "…" to the rectangle's width (for
    // text written upward, to its height); nothing for an empty rectangle.
    void text(const Rect& r, const std::string& s, int align, Color color, bool upward = false);
    std::string elide(const std::string& s, double width);
};

// Lightness lowered by 15 on the 0..239 hue, saturation and lightness scales.
Color darken(Color c);

// A value through a numeric mask ("999,999.99"); when the mask is too narrow for it, the
// mask grows by whole groups, so a label is never a row of stars. A mask the entry field
// does not understand gives the plain number.
std::string formatValue(double v, const std::string& mask);

// The shown values with NaN and infinities as 0.
std::vector<std::vector<double>> cleanData(const std::vector<std::vector<double>>& data);
// The number of categories: the longest value list.
int categoryCount(const std::vector<std::vector<double>>& data);

// The pie's twelve colours, used in turn.
extern const Color kPiePalette[12];

// The legend box at the right of the chart and its entries (name, colour).
void drawLegend(Pen& pen, const TGraph& g, const TGraph::Layout& lay,
                const std::vector<std::pair<std::string, Color>>& entries);
// A pie chart (flat or 3D) into the chart rectangle, with its legend.
void drawPie(Pen& pen, const TGraph& g, const TGraph::Layout& lay,
             const std::vector<std::vector<double>>& data);

// The slices of a pie: colour, start angle and span (degrees clockwise from the top) and
// share of the whole; zero values have none.
struct Slice {
    Color color;
    double start, span, share;
};
std::vector<Slice> pieSlices(const TGraph& g, const std::vector<std::vector<double>>& data,
                             std::vector<std::pair<std::string, Color>>* legend = nullptr);

}  // namespace graph
