// The chart's geometry and drawing: frame and walls, the value scale and its axis, the
// category axis, bars, lines and points, the legend and the titles. The pie is in
// GraphPie.cpp; shared pieces in GraphParts.cpp.
#include <algorithm>
#include <cmath>
#include <limits>

#include "Graph.h"
#include "internal/GraphParts.h"

using graph::Pen;

namespace {

// Half the room of each category label, centred on its column: the label's own width when
// the neighbours on its row leave that much free (each keeps at least its own width, up to
// one place), else what they leave. On two rows the neighbours are two categories away.
std::vector<double> labelHalves(const std::vector<double>& widths, double step, double gap, int rows) {
    const double room = step * rows;
    const size_t r = size_t(rows);
    auto kept = [&](size_t i) { return std::min(widths[i], room - gap) / 2; };
    std::vector<double> halves;
    for (size_t i = 0; i < widths.size(); ++i) {
        double left = i >= r ? room - kept(i - r) - gap : room;
        double right = i + r < widths.size() ? room - kept(i + r) - gap : room;
        halves.push_back(std::max(0.0, std::min({widths[i] / 2 + gap, left, right})));
    }
    return halves;
}

bool someLabelCut(const std::vector<double>& widths, double step, double gap) {
    auto halves = labelHalves(widths, step, gap, 1);
    for (size_t i = 0; i < widths.size(); ++i)
        if (2 * halves[i] < widths[i]) return true;
    return false;
}

constexpr Color kWallLight = 14803425;  // RGB 225, 225, 225
constexpr Color kWallDark = 8421504;    // RGB 128, 128, 128
constexpr Color kSideWall = 12632256;   // RGB 192, 192, 192
constexpr Color kShadow = 12632256;

int seriesType(const TGraph& g, const GraphSerie& s) {
    if (g.nType != TGraph::kMixed) return g.nType;
    return s.type >= TGraph::kBars && s.type <= TGraph::kPoints ? s.type : TGraph::kBars;
}

// The drawing of one chart: its pen, its layout and its data made safe.
struct Chart {
    const TGraph& g;
    Pen& pen;
    const TGraph::Layout& lay;
    const std::vector<std::vector<double>>& data;
    int n;  // categories

    double dX() const { return lay.depth; }
    double dY() const { return lay.depthY; }
    bool threeD() const { return lay.depth > pen.X(1) + 1e-9; }
    double rowOf(double v) const { return lay.zeroRow - v * lay.pixelsPerUnit; }
    // The centre of category i (from 1) on the front plane.
    double columnOf(int i) const { return lay.left + i * lay.step - dX(); }

    void frame();
    void walls();
    void valueAxis();
    void categoryAxis();
    void bars();
    void bar(double x, double width, double v, Color color, bool with3D);
    void valueText(double x, double width, double top, double v);
    void linesAndPoints();
    void mark(Point p, Color color);
    void titles();
};

void Chart::frame() {
    Canvas& c = pen.canvas;
    double W = lay.width, H = lay.height;
    pen.fill(Rect{0, 0, W, H}, g.nClrPane);
    // A sunken edge: dark above and left, light below and right.
    double one = std::max(1.0, std::floor(pen.X(1)));
    c.setPen(kWallDark, one, PenStyle::Solid);
    c.line({0, 0}, {W - one, 0});
    c.line({0, 0}, {0, H - one});
    c.setPen(colors::white, one, PenStyle::Solid);
    c.line({0, H - one}, {W - one, H - one});
    c.line({W - one, 0}, {W - one, H - one});
}

void Chart::walls() {
    Canvas& c = pen.canvas;
    double top = lay.top, left = lay.left, right = lay.right, wallBottom = lay.bottom - dY();
    pen.fill(Rect{top, left, right - left, wallBottom - top}, g.nClrBack);
    if (!threeD()) {
        c.setPen(kWallLight, pen.X(1), PenStyle::Solid);
        c.line({left, wallBottom}, {right, wallBottom});
        c.line({right, top}, {right, wallBottom});
        c.setPen(kWallDark, pen.X(1), PenStyle::Solid);
        c.line({left, top}, {right, top});
        c.line({left, top}, {left, wallBottom});
        return;
    }
    // The left wall and the floor join the back wall to the front plane, d lower and d left.
    double d = dX(), e = dY(), bottom = lay.bottom;
    c.setPen(kWallDark, pen.X(1), PenStyle::Solid);
    c.setBrush(kSideWall);
    c.polygon({{left, top}, {left, wallBottom}, {left - d, bottom}, {left - d, top + e}});
    c.setBrush(kWallLight);
    c.polygon({{left, wallBottom}, {right, wallBottom}, {right - d, bottom}, {left - d, bottom}});
    c.setBrush(std::nullopt);
    c.setPen(colors::black, pen.X(1), PenStyle::Solid);
    c.line({left - d, top + e}, {left - d, bottom});
    c.line({left - d, bottom}, {right - d, bottom});
    c.line({left, top}, {left - d, top + e});
    c.line({right, wallBottom}, {right - d, bottom});
    c.setPen(kWallDark, pen.X(1), PenStyle::Solid);
    c.line({left, top}, {right, top});
    c.line({right, top}, {right, wallBottom});
    c.line({left, top}, {left, wallBottom});
    c.line({left, wallBottom}, {right, wallBottom});
}

void Chart::valueAxis() {
    Canvas& c = pen.canvas;
    int ranges = std::clamp(g.nXRanges, 1, 100);
    double step = std::max(lay.scaleTop, lay.scaleBottom) / ranges;
    double frontLeft = lay.left - dX();
    double textRight = frontLeft - pen.X(10);
    double th = pen.heightOf(g.aFont[TGraph::fXValues]);
    auto at = [&](double v) {
        double row = rowOf(v);
        if (g.lxVal)
            pen.text(Rect{row - th / 2, textRight - lay.valueWidth, lay.valueWidth, th},
                     graph::formatValue(v, g.cPicture), TextAlign::Right | TextAlign::VCenter, g.nClrX);
        if (g.lxGrid) {
            c.setPen(g.nClrGrid, pen.X(1), g.lDotted ? PenStyle::Dot : PenStyle::Solid);
            c.line({lay.left, row - dY()}, {lay.right, row - dY()});
            if (threeD()) c.line({lay.left, row - dY()}, {frontLeft, row});
        }
    };
    auto within = [](double v, double limit) { return v <= limit * (1 + 1e-9); };
    for (int i = 0; i <= ranges; ++i) {
        double v = i * step;
        if (i == 0 || within(v, lay.scaleTop)) at(v);
        if (i > 0 && within(v, lay.scaleBottom)) at(-v);
        if (step <= 0) break;
    }
    if (!g.lxVal) {
        double h = pen.heightOf(g.aFont[TGraph::fValues]);
        pen.text(Rect{lay.zeroRow - h / 2, textRight - lay.valueWidth, lay.valueWidth, h}, "0",
                 TextAlign::Right | TextAlign::VCenter, g.nClrX);
    }
}

void Chart::categoryAxis() {
    Canvas& c = pen.canvas;
    if (g.lyGrid && n > 0) {
        c.setPen(g.nClrGrid, pen.X(1), g.lDotted ? PenStyle::Dot : PenStyle::Solid);
        for (int i = 1; i <= n; ++i) {
            double x = lay.left + i * lay.step;
            c.line({x, lay.top}, {x, lay.bottom - dY()});
            if (threeD()) c.line({x, lay.bottom - dY()}, {x - dX(), lay.bottom});
        }
    }
    if (!g.lyVal || g.aYVals.empty()) return;
    pen.font(g.aFont[TGraph::fYLabels]);
    int count = std::min(n, int(g.aYVals.size()));
    std::vector<double> widths;
    for (int i = 0; i < count; ++i) widths.push_back(pen.canvas.textWidth(g.aYVals[i]));
    // A label wider than its category borrows room from its neighbours, as far as they
    // leave free; beyond that it is cut short. Neighbouring labels never overlap.
    auto halves = labelHalves(widths, lay.step, pen.X(3), lay.labelRows);
    for (int i = 0; i < count; ++i) {
        double x = columnOf(i + 1), half = halves[size_t(i)];
        double row = lay.bottom + pen.Y(5) + (i % lay.labelRows) * lay.labelH;
        pen.text(Rect{row, x - half, 2 * half, lay.labelH}, g.aYVals[i], TextAlign::Center | TextAlign::Top, g.nClrY);
    }
}

void Chart::bar(double x, double width, double v, Color color, bool with3D) {
    if (width <= 0 || v == 0) return;
    Canvas& c = pen.canvas;
    double z = lay.zeroRow, y = rowOf(v);
    Rect front{std::min(y, z), x, width, std::fabs(z - y)};
    if (front.height <= 0) return;
    if (g.lBorders) {
        c.setPen(colors::black, pen.X(1), PenStyle::Solid);
        c.setBrush(color);
        c.rectangle(front);
    } else {
        pen.fill(front, color);
    }
    if (!with3D) return;
    double d = threeD() ? dX() : pen.X(g.nBarD), e = threeD() ? dY() : pen.Y(g.nBarD);
    double top = front.top, bottom = front.bottom(), right = front.right();
    Color side = graph::darken(graph::darken(color)), lid = graph::darken(color);
    c.setPen(g.lBorders ? colors::black : side, pen.X(1), PenStyle::Solid);
    c.setBrush(side);
    c.polygon({{right, top}, {right + d, top - e}, {right + d, bottom - e}, {right, bottom}});
    c.setPen(g.lBorders ? colors::black : lid, pen.X(1), PenStyle::Solid);
    c.setBrush(lid);
    c.polygon({{x, top}, {x + d, top - e}, {right + d, top - e}, {right, top}});
    c.setBrush(std::nullopt);
}

void Chart::valueText(double x, double width, double top, double v) {
    std::string s = graph::formatValue(v, g.cPicture);
    double th = pen.heightOf(g.aFont[TGraph::fValues]);
    double tw = pen.canvas.textWidth(s);
    double w = std::max(width, tw);
    pen.text(Rect{top - th - pen.Y(1), x + width / 2 - w / 2, w, th}, s, TextAlign::Center, g.nClrV);
}

void Chart::bars() {
    std::vector<size_t> barSeries;
    for (size_t s = 0; s < g.aSeries.size() && s < data.size(); ++s)
        if (seriesType(g, g.aSeries[s]) == TGraph::kBars) barSeries.push_back(s);
    int k = int(barSeries.size());
    if (k == 0 || n == 0) return;
    double sep = pen.X(g.nBarSep), one = pen.X(1), w = lay.step;
    double first, width, gap, stride;
    if (n > 1) {
        double group = w - sep;
        width = group / k - one;
        first = lay.left + sep - dX() + group / 2 + one;
        gap = one;
        stride = w;
    } else {
        width = 2 * w / (k + 1) - sep;
        first = lay.left + sep - dX() + width / 2;
        gap = sep;
        stride = 2 * w;
    }
    for (int j = 0; j < k; ++j) {
        const GraphSerie& serie = g.aSeries[barSeries[j]];
        const auto& values = data[barSeries[j]];
        bool with3D = serie.with3D.value_or(g.l3D);
        for (int i = 0; i < n && i < int(values.size()); ++i) {
            double x = first + i * stride + j * (width + gap);
            bar(x, width, values[i], serie.color, with3D);
        }
    }
    // The values go over all the bars, so no later bar hides one: above a bar that goes up,
    // below one that goes down.
    if (!g.lViewVal || width <= 0) return;
    double th = pen.heightOf(g.aFont[TGraph::fValues]);
    for (int j = 0; j < k; ++j) {
        const auto& values = data[barSeries[j]];
        bool with3D = g.aSeries[barSeries[j]].with3D.value_or(g.l3D);
        double lift = with3D ? (threeD() ? dY() : pen.Y(g.nBarD)) : 0;
        for (int i = 0; i < n && i < int(values.size()); ++i) {
            double x = first + i * stride + j * (width + gap), v = values[i];
            double row = v >= 0 ? rowOf(v) - lift : std::min(rowOf(v) + th + pen.Y(2), lay.bottom);
            valueText(x, width, row, v);
        }
    }
}

void Chart::mark(Point p, Color color) {
    Canvas& c = pen.canvas;
    double rx = pen.X(2 + g.nPenWidth), ry = pen.Y(2 + g.nPenWidth);
    switch (g.nPoint) {
        case 2:  // a cross
            c.setPen(color, pen.X(std::max(1, g.nPenWidth)), PenStyle::Solid);
            c.line({p.x - rx, p.y - ry}, {p.x + rx, p.y + ry});
            c.line({p.x - rx, p.y + ry}, {p.x + rx, p.y - ry});
            break;
        case 3:  // a rhombus
            c.setPen(g.lBorders ? colors::black : color, pen.X(1), PenStyle::Solid);
            c.setBrush(color);
            c.polygon({{p.x, p.y - ry - 1}, {p.x + rx + 1, p.y}, {p.x, p.y + ry + 1}, {p.x - rx - 1, p.y}});
            break;
        default:  // a round point
            c.setPen(g.lBorders ? colors::black : color, pen.X(1), PenStyle::Solid);
            c.setBrush(color);
            c.pie(Rect{p.y - ry, p.x - rx, 2 * rx, 2 * ry}, 0, 360);
            break;
    }
    c.setBrush(std::nullopt);
}

void Chart::linesAndPoints() {
    Canvas& c = pen.canvas;
    for (size_t s = 0; s < g.aSeries.size() && s < data.size(); ++s) {
        const GraphSerie& serie = g.aSeries[s];
        int type = seriesType(g, serie);
        if (type != TGraph::kLines && type != TGraph::kPoints) continue;
        std::vector<Point> pts;
        for (int i = 0; i < n && i < int(data[s].size()); ++i)
            pts.push_back({columnOf(i + 1), rowOf(data[s][i])});
        if (type == TGraph::kLines) {
            bool band = serie.with3D.value_or(g.l3D) && threeD();
            double d = dX(), e = dY();
            for (size_t i = 1; i < pts.size(); ++i) {
                Point a = pts[i - 1], b = pts[i];
                if (band) {
                    c.setPen(g.lBorders ? colors::black : graph::darken(serie.color), pen.X(1), PenStyle::Solid);
                    c.setBrush(serie.color);
                    c.polygon({a, b, {b.x + d, b.y - e}, {a.x + d, a.y - e}});
                    c.setBrush(std::nullopt);
                } else {
                    c.setPen(serie.color, pen.X(std::max(1, g.nPenWidth)), PenStyle::Solid);
                    c.line(a, b);
                }
            }
            if (pts.size() == 1) mark(pts[0], serie.color);  // a line of one point is its mark
        } else {
            for (Point p : pts) mark(p, serie.color);
        }
        if (g.lViewVal)
            for (size_t i = 0; i < pts.size(); ++i)
                valueText(pts[i].x - pen.X(10), pen.X(20), pts[i].y - pen.Y(4), data[s][i]);
    }
}

void Chart::titles() {
    if (!g.lTitle) return;
    const double W = lay.width;
    auto write = [&](int slot, int shadowFlag, Rect r, const std::string& s, int align, Color color,
                     bool upward = false) {
        if (s.empty()) return;
        pen.font(g.aFont[slot]);
        if (g.aSTitle[shadowFlag]) {
            Rect shadow{r.top + pen.Y(1.5), r.left + pen.X(1.5), r.width, r.height};
            pen.text(shadow, s, align, kShadow, upward);
        }
        pen.text(r, s, align, color, upward);
    };
    // The main title, centred over the chart: as wide as the chart, or wider up to the
    // control's edges when it needs more.
    double T = lay.titleH, S = lay.subTitleH;
    Rect main{lay.top - (pen.Y(15) + S + T), lay.left, lay.right - lay.left, T};
    if (g.lcTitle) {
        pen.font(g.aFont[TGraph::fTitle]);
        double need = pen.canvas.textWidth(g.cTitle) + pen.X(2);
        double centre = (lay.left + lay.right) / 2;
        double half = std::min({std::max(need, main.width) / 2, centre - pen.X(2), W - pen.X(2) - centre});
        main = Rect{main.top, centre - half, 2 * half, T};
    } else {
        main.width = W - pen.X(2) - lay.left;
    }
    write(TGraph::fTitle, 0, main, g.cTitle, g.lcTitle ? TextAlign::Center : TextAlign::Left, g.nClrT);
    write(TGraph::fSubTitle, 1, Rect{lay.top - (pen.Y(8) + S), lay.left, W - pen.X(2) - lay.left, S},
          g.cSubTit, TextAlign::Left, g.nClrST);
    // The value-axis title, upward, in the margin left of the axis values.
    double X = lay.titleXH;
    write(TGraph::fTitleX, 2, Rect{lay.top, pen.X(1) + pen.X(7), X, lay.bottom - lay.top}, g.cTitX,
          TextAlign::Center | TextAlign::VCenter, g.nClrXT, true);
    double labels = g.lyVal ? lay.labelH * lay.labelRows : 0;
    write(TGraph::fTitleY, 3, Rect{lay.bottom + labels + pen.Y(8), lay.left, lay.right - lay.left, lay.titleYH},
          g.cTitY, TextAlign::Center, g.nClrYT);
}

}  // namespace

double TGraph::roundScale(double v) {
    if (!std::isfinite(v) || v <= 0) return 0;
    for (double u = 1e9; u >= 1; u /= 10) {
        if (v / u < 1) continue;
        double q = std::floor(v / u), f = v / u - q;
        constexpr double eps = 1e-9;  // 1.25 read back as 1.2500000001 is still a quarter
        double r = f <= eps ? 0 : f <= 0.25 + eps ? 0.25 : f <= 0.5 + eps ? 0.5 : f <= 0.75 + eps ? 0.75 : 1;
        return (q + r) * u;
    }
    return v;  // below 1 the value is its own top
}

TGraph::Layout TGraph::layout(Canvas& canvas, double width, double height, double sx, double sy) const {
    Pen pen{canvas, sx, sy};
    auto data = graph::cleanData(aData);
    Layout lay;
    lay.width = width;
    lay.height = height;
    auto heightIf = [&](int slot, const std::string& s) { return s.empty() ? 0.0 : pen.heightOf(aFont[slot]); };
    double T = heightIf(fTitle, cTitle), S = heightIf(fSubTitle, cSubTit);
    double X = heightIf(fTitleX, cTitX), Y = heightIf(fTitleY, cTitY);
    double L = aYVals.empty() ? 0 : pen.heightOf(aFont[fLegends]);
    lay.titleH = T, lay.subTitleH = S, lay.titleXH = X, lay.titleYH = Y, lay.labelH = L;

    // The legend holds the series names (for a pie, what its legend lists).
    std::vector<std::pair<std::string, Color>> entries;
    if (nType == kPie) graph::pieSlices(*this, data, &entries);
    else
        for (const auto& s : aSeries) entries.push_back({s.name, s.color});
    lay.legendWidth = pen.X(80);
    pen.font(aFont[fLegends]);
    // Names are written 20 pixels into the legend's room: G holds them and 5 more.
    for (const auto& e : entries)
        lay.legendWidth = std::max(lay.legendWidth, pen.X(20 + 5) + canvas.textWidth(e.first));
    double M = std::isfinite(nMaxVal) ? std::max(0.0, nMaxVal) : 0;
    double m = std::isfinite(nMinVal) ? std::min(0.0, nMinVal) : 0;
    for (const auto& values : data)
        for (double v : values) M = std::max(M, v), m = std::min(m, v);
    lay.scaleTop = M > 0 ? roundScale(M) : 0;
    lay.scaleBottom = m < 0 ? roundScale(-m) : 0;
    lay.valueWidth = std::max(pen.X(30), pen.widthOf(aFont[fXValues], cPicture));
    // Values too large for the mask get a wider mask (formatValue): their labels get the room.
    for (double v : {lay.scaleTop, -lay.scaleBottom})
        lay.valueWidth = std::max(lay.valueWidth, canvas.textWidth(graph::formatValue(v, cPicture)));

    lay.top = pen.Y(1) + (lTitle ? S + T + pen.Y(30) : pen.Y(15));
    lay.left = pen.X(1) + (lTitle ? X + pen.X(15) : pen.X(15)) + pen.X(nBarD);
    lay.bottom = height - pen.Y(2) - (lTitle ? Y + pen.Y(15) : pen.Y(15));
    lay.right = width - pen.X(2) - (lLegends ? lay.legendWidth + pen.X(5) : pen.X(15));
    if (lxVal) lay.left += lay.valueWidth;
    int n = graph::categoryCount(data);
    lay.step = (lay.right - lay.left) / (n + 1);
    if (lyVal) {
        // Labels that one row would cut short take turns on two rows.
        pen.font(aFont[fYLabels]);
        std::vector<double> widths;
        for (int i = 0; i < std::min(n, int(aYVals.size())); ++i) widths.push_back(canvas.textWidth(aYVals[i]));
        if (nType != kPie && n > 1 && someLabelCut(widths, lay.step, pen.X(3))) lay.labelRows = 2;
        lay.bottom -= L * lay.labelRows;
    }

    bool deep = l3D && nType != kPoints;
    lay.depth = pen.X(deep ? nBarD : 1);
    lay.depthY = pen.Y(deep ? nBarD : 1);
    lay.plotHeight = lay.bottom - lay.top - lay.depthY;

    double range = lay.scaleTop + lay.scaleBottom;
    lay.pixelsPerUnit = range > 0 && std::isfinite(range) ? lay.plotHeight / range : 1;
    lay.zeroRow = lay.bottom - lay.scaleBottom * lay.pixelsPerUnit;
    if (lay.scaleTop > 0)
        lay.zeroRow = std::max(lay.zeroRow, lay.top + lay.scaleTop * lay.pixelsPerUnit + lay.depthY);
    return lay;
}

void TGraph::draw(Canvas& canvas, double width, double height, double sx, double sy) {
    if (!(width >= 1 && height >= 1) || !std::isfinite(width) || !std::isfinite(height)) return;
    if (!(sx > 0) || !(sy > 0)) sx = sy = 1;
    Pen pen{canvas, sx, sy};
    Layout lay = layout(canvas, width, height, sx, sy);
    auto data = graph::cleanData(aData);
    Chart chart{*this, pen, lay, data, graph::categoryCount(data)};
    chart.frame();
    // Too small to hold a chart: the pane alone.
    if (lay.right - lay.left < pen.X(4) || lay.plotHeight < pen.Y(4)) return;
    if (nType == kPie) {
        graph::drawPie(pen, *this, lay, data);
        chart.titles();
        return;
    }
    chart.walls();
    chart.valueAxis();
    chart.categoryAxis();
    chart.bars();
    chart.linesAndPoints();
    std::vector<std::pair<std::string, Color>> entries;
    for (const auto& s : aSeries) entries.push_back({s.name, s.color});
    graph::drawLegend(pen, *this, lay, entries);
    chart.titles();
}
