// The pie chart: its slices, flat or as a 3D disc with side walls and a shadow, the
// percentage of each slice, and its legend.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "internal/GraphParts.h"

namespace graph {

std::vector<Slice> pieSlices(const TGraph& g, const std::vector<std::vector<double>>& data,
                             std::vector<std::pair<std::string, Color>>* legend) {
    std::vector<double> values;
    std::vector<Color> colours;
    if (legend) legend->clear();
    if (g.nValues != 2 && !g.aYVals.empty()) {
        // One series across the categories, in the palette's colours.
        if (!data.empty()) {
            size_t s = size_t(std::clamp(g.nPieX, 1, int(data.size())) - 1);
            values = data[s];
        }
        size_t count = std::max(values.size(), g.aYVals.size());
        values.resize(count, 0.0);
        for (size_t i = 0; i < count; ++i) {
            colours.push_back(kPiePalette[i % 12]);
            if (legend) legend->push_back({i < g.aYVals.size() ? g.aYVals[i] : "", colours.back()});
        }
    } else {
        // Every series at one category, in the series' colours.
        int n = categoryCount(data);
        size_t cat = size_t(std::clamp(g.nPieX, 1, std::max(n, 1)) - 1);
        for (size_t s = 0; s < g.aSeries.size(); ++s) {
            values.push_back(s < data.size() && cat < data[s].size() ? data[s][cat] : 0.0);
            colours.push_back(g.aSeries[s].color);
            if (legend) legend->push_back({g.aSeries[s].name, g.aSeries[s].color});
        }
    }
    double sum = 0;
    for (double v : values) sum += std::fabs(v);
    std::vector<Slice> slices;
    if (!(sum > 0) || !std::isfinite(sum)) return slices;
    double angle = std::isfinite(g.nPieSt) ? g.nPieSt : 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i] == 0) continue;
        double share = std::fabs(values[i]) / sum;
        slices.push_back({colours[i], angle, share * 360, share});
        angle += share * 360;
    }
    return slices;
}

namespace {

// Black or white, whichever reads better on `back`.
Color textOn(Color back) {
    double lum = 0.299 * redOf(back) + 0.587 * greenOf(back) + 0.114 * blueOf(back);
    return lum > 140 ? colors::black : colors::white;
}

void percentages(Pen& pen, const TGraph& g, const std::vector<Slice>& slices, const Rect& disc) {
    double th = pen.heightOf(g.aFont[TGraph::fXValues]);
    double cx = disc.left + disc.width / 2, cy = disc.top + disc.height / 2;
    for (const Slice& s : slices) {
        if (s.span <= 3) continue;
        double mid = (s.start + s.span / 2) * std::numbers::pi / 180;
        // Two thirds of the way out, where the slice is wide enough for the text.
        double x = cx + std::sin(mid) * disc.width / 2 * 0.66;
        double y = cy - std::cos(mid) * disc.height / 2 * 0.66;
        std::string label = formatValue(s.share * 100, "999%");
        double tw = pen.canvas.textWidth(label) + pen.X(2);
        pen.text(Rect{y - th / 2, x - tw / 2, tw, th}, label, TextAlign::Center | TextAlign::VCenter,
                 textOn(s.color));
    }
}

}  // namespace

void drawPie(Pen& pen, const TGraph& g, const TGraph::Layout& lay,
             const std::vector<std::vector<double>>& data) {
    Canvas& c = pen.canvas;
    std::vector<std::pair<std::string, Color>> legend;
    std::vector<Slice> slices = pieSlices(g, data, &legend);
    // The largest square inside the chart area less 15 pixels on each side, centred.
    double areaW = lay.right - lay.left - 2 * pen.X(15), areaH = lay.bottom - lay.top - 2 * pen.Y(15);
    double side = std::min(areaW, areaH);
    if (side > 2 && !slices.empty()) {
        Rect square{lay.top + pen.Y(15) + (areaH - side) / 2, lay.left + pen.X(15) + (areaW - side) / 2,
                    side, side};
        auto slice = [&](const Rect& r, const Slice& s, Color fill, bool outline = true) {
            c.setPen(g.lBorders && outline ? colors::black : fill, pen.X(1), PenStyle::Solid);
            c.setBrush(fill);
            c.pie(r, s.start, s.span);
        };
        if (!g.l3D) {
            for (const Slice& s : slices) slice(square, s, s.color);
            percentages(pen, g, slices, square);
        } else {
            // A disc seen from above: an ellipse, its side walls `depth` deep and a shadow.
            double depth = std::min(pen.Y(std::max(g.nBarD, 1)), side / 4);
            double height = std::max(side * 0.6, 1.0) - depth;
            Rect disc{square.top + (side - height - depth) / 2, square.left, side, height};
            Rect shadow{disc.top + depth + pen.Y(6), disc.left + pen.X(6), disc.width, disc.height};
            c.setPen(12632256, pen.X(1), PenStyle::Solid);
            c.setBrush(Color(12632256));
            c.pie(shadow, 0, 360);
            // The walls: the slices stacked from the bottom up in their darker colour;
            // a printer's deep disc takes at most 60 layers.
            int layers = std::max(1, int(std::min(depth, 60.0)));
            for (int i = layers; i >= 1; --i) {
                Rect r{disc.top + depth * i / layers, disc.left, disc.width, disc.height};
                for (const Slice& s : slices) slice(r, s, darken(darken(s.color)), i == layers);
            }
            for (const Slice& s : slices) slice(disc, s, s.color);
            percentages(pen, g, slices, disc);
        }
        c.setBrush(std::nullopt);
    }
    drawLegend(pen, g, lay, legend);
}

}  // namespace graph
