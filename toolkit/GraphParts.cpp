// The shared pieces of the chart's drawing: the scaled pen, colours, value texts, data.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Text.h"
#include "getMask.h"
#include "internal/GraphParts.h"

namespace graph {

void Pen::font(const FontSpec& f) {
    FontSpec scaled = f;
    scaled.height = std::max(1, int(std::lround(f.height * sy)));
    if (f.width > 0) scaled.width = std::max(1, int(std::lround(f.width * sx)));
    canvas.setFont(scaled);
}

double Pen::heightOf(const FontSpec& f) {
    font(f);
    return canvas.textHeight();
}

double Pen::widthOf(const FontSpec& f, const std::string& s) {
    font(f);
    return canvas.textWidth(s);
}

void Pen::fill(const Rect& r, Color c) {
    if (r.width > 0 && r.height > 0) canvas.fillRect(r, c);
}

std::string Pen::elide(const std::string& s, double width) {
    if (canvas.textWidth(s) <= width) return s;
    static const std::string kDots = "\xE2\x80\xA6";  // …
    size_t lo = 0, hi = text::length(s);
    // The longest start of the text that fits with the dots after it.
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (canvas.textWidth(text::left(s, mid) + kDots) <= width) lo = mid;
        else hi = mid - 1;
    }
    if (lo == 0) return canvas.textWidth(kDots) <= width ? kDots : std::string();
    return text::rtrim(text::left(s, lo)) + kDots;
}

void Pen::text(const Rect& r, const std::string& s, int align, Color color, bool upward) {
    if (r.width <= 0 || r.height <= 0 || s.empty()) return;
    std::string shown = elide(s, upward ? r.height : r.width);
    if (shown.empty()) return;
    canvas.setTextColor(color);
    canvas.text(r, shown, align | TextAlign::SingleLine);
}

Color darken(Color c) {
    double r = redOf(c) / 255.0, g = greenOf(c) / 255.0, b = blueOf(c) / 255.0;
    double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    double l = (hi + lo) / 2, h = 0, s = 0;
    if (hi > lo) {
        double delta = hi - lo;
        s = l <= 0.5 ? delta / (hi + lo) : delta / (2 - hi - lo);
        if (hi == r) h = (g - b) / delta + (g < b ? 6 : 0);
        else if (hi == g) h = (b - r) / delta + 2;
        else h = (r - g) / delta + 4;
        h /= 6;
    }
    // On the 0..239 scales, the lightness goes down by 15.
    constexpr double kScale = 239;
    double H = std::round(h * kScale), S = std::round(s * kScale);
    double L = std::max(0.0, std::round(l * kScale) - 15);
    h = H / kScale, s = S / kScale, l = L / kScale;
    auto channel = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    double R = l, G = l, B = l;
    if (s > 0) {
        double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        double p = 2 * l - q;
        R = channel(p, q, h + 1.0 / 3);
        G = channel(p, q, h);
        B = channel(p, q, h - 1.0 / 3);
    }
    auto byte = [](double v) { return std::clamp(int(std::lround(v * 255)), 0, 255); };
    return RGB(byte(R), byte(G), byte(B));
}

std::string formatValue(double v, const std::string& mask) {
    if (!std::isfinite(v)) v = 0;
    // A function part ("@E ") stays in front; whole groups go in front of the template.
    size_t split = !mask.empty() && mask[0] == '@' ? mask.find(' ') : 0;
    if (split == std::string::npos) split = mask.size();
    if (split > 0) ++split;
    std::string group = mask.find(',') != std::string::npos ? "999," : "999";
    if (std::fabs(v) < 1e18) {
        try {
            for (int extra = 0; extra <= 6; ++extra) {
                std::string m = mask;
                for (int i = 0; i < extra; ++i) m.insert(std::min(split, m.size()), group);
                std::string s = formatNumber(v, GetPicture::parse(m));
                if (s.find('*') == std::string::npos) return text::ltrim(text::rtrim(s));
            }
        } catch (const std::exception&) {
        }
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::vector<std::vector<double>> cleanData(const std::vector<std::vector<double>>& data) {
    std::vector<std::vector<double>> out = data;
    constexpr double kLargest = 1e300;  // sums of many values stay finite
    for (auto& values : out)
        for (double& v : values) v = std::isfinite(v) ? std::clamp(v, -kLargest, kLargest) : 0.0;
    return out;
}

int categoryCount(const std::vector<std::vector<double>>& data) {
    size_t n = 0;
    for (const auto& values : data) n = std::max(n, values.size());
    return int(n);
}

const Color kPiePalette[12] = {10181188, 3948672, 4948018, 8532660, 1881562, 10644258,
                               3298472,  5260966, 3309578, 1973958, 6574180, 2005880};

void drawLegend(Pen& pen, const TGraph& g, const TGraph::Layout& lay,
                const std::vector<std::pair<std::string, Color>>& entries) {
    if (!g.lLegends || entries.empty()) return;
    double row = pen.Y(15);
    double boxLeft = lay.right + pen.X(8), boxTop = lay.top - pen.Y(1);
    double boxRight = std::min(lay.right + lay.legendWidth, lay.width - pen.X(3));
    // Entries that would fall below the control are left out.
    size_t shown = entries.size();
    while (shown > 0 && boxTop + row * double(shown) > lay.height - pen.Y(3)) --shown;
    if (shown == 0 || boxRight <= boxLeft) return;
    double boxBottom = boxTop + row * double(shown);
    if (g.lBordLeg) {
        pen.fill(Rect{boxTop, boxLeft, boxRight - boxLeft, boxBottom - boxTop}, g.nClrLegBack);
        pen.canvas.setPen(8421504, pen.X(1), PenStyle::Solid);
        pen.canvas.line({boxLeft, boxTop}, {boxRight, boxTop});
        pen.canvas.line({boxLeft, boxTop}, {boxLeft, boxBottom});
        pen.canvas.setPen(14803425, pen.X(1), PenStyle::Solid);
        pen.canvas.line({boxLeft, boxBottom}, {boxRight, boxBottom});
        pen.canvas.line({boxRight, boxTop}, {boxRight, boxBottom});
    }
    double th = pen.heightOf(g.aFont[TGraph::fLegends]);
    double nameLeft = lay.right + pen.X(20);
    for (size_t i = 0; i < shown; ++i) {
        double top = lay.top + pen.Y(2) + row * double(i);
        double swatchTop = top + std::max(0.0, (th - pen.Y(8)) / 2);
        pen.fill(Rect{swatchTop, lay.right + pen.X(10), pen.X(7), pen.Y(8)}, entries[i].second);
        pen.text(Rect{top, nameLeft, boxRight - pen.X(2) - nameLeft, th}, entries[i].first,
                 TextAlign::Left, g.nClrL);
    }
}

}  // namespace graph
