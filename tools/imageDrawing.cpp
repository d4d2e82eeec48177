#include "imageDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

struct Glyph {
    char ch;
    std::array<uint8_t, kGlyphHeight> rows;  // bit 4 is the leftmost pixel
};

const Glyph kFont[] = {
    {'A', {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'D', {0b11110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b11110}},
    {'E', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {'F', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'G', {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111}},
    {'H', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'I', {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'J', {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100}},
    {'K', {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001}},
    {'L', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'N', {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001}},
    {'O', {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'P', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'Q', {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101}},
    {'R', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {'S', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {'T', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'U', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {'X', {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001}},
    {'Y', {0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'Z', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111}},
    {'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph* glyphOf(char ch) {
    for (const Glyph& g : kFont)
        if (g.ch == ch) return &g;
    return nullptr;
}

}  // namespace

Color mix(Color a, Color b, double t) {
    auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return RGB(m(redOf(a), redOf(b)), m(greenOf(a), greenOf(b)), m(blueOf(a), blueOf(b)));
}

void fillRect(Picture& p, int x0, int y0, int w, int h, Color c) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) p.set(x, y, c);
}

void fillPolygon(Picture& p, const Points& pts, Color c) {
    for (int y = 0; y < p.height; ++y) {
        double sy = y + 0.5;
        std::vector<double> xs;
        for (size_t i = 0; i < pts.size(); ++i) {
            auto [x1, y1] = pts[i];
            auto [x2, y2] = pts[(i + 1) % pts.size()];
            if ((y1 <= sy && y2 > sy) || (y2 <= sy && y1 > sy))
                xs.push_back(x1 + (sy - y1) * (x2 - x1) / (y2 - y1));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2)
            for (int x = int(std::ceil(xs[i] - 0.5)); x < int(std::ceil(xs[i + 1] - 0.5)); ++x)
                p.set(x, y, c);
    }
}

void thickLine(Picture& p, double x1, double y1, double x2, double y2, double width, Color c) {
    double dx = x2 - x1, dy = y2 - y1, len = std::hypot(dx, dy);
    double nx = -dy / len * width / 2, ny = dx / len * width / 2;
    fillPolygon(p, {{x1 + nx, y1 + ny}, {x2 + nx, y2 + ny}, {x2 - nx, y2 - ny}, {x1 - nx, y1 - ny}},
                c);
}

void fillEllipse(Picture& p, double x, double y, double w, double h, Color c) {
    Points pts;
    const int steps = 48;
    for (int i = 0; i < steps; ++i) {
        double a = 2 * kPi * i / steps;
        pts.emplace_back(x + w / 2 * (1 + std::cos(a)), y + h / 2 * (1 + std::sin(a)));
    }
    fillPolygon(p, pts, c);
}

void fillStar(Picture& p, double cx, double cy, double outer, double inner, int tips, Color c) {
    Points pts;
    for (int i = 0; i < 2 * tips; ++i) {
        double a = -kPi / 2 + kPi * i / tips, r = i % 2 ? inner : outer;
        pts.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    fillPolygon(p, pts, c);
}

int textWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : (int(text.size()) * (kGlyphWidth + 1) - 1) * scale;
}

bool drawText(Picture& p, int x, int y, const std::string& text, int scale, Color c) {
    std::vector<const Glyph*> glyphs;
    for (char ch : text) {
        const Glyph* g = glyphOf(ch);
        if (!g) return false;
        glyphs.push_back(g);
    }
    for (const Glyph* g : glyphs) {
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int col = 0; col < kGlyphWidth; ++col)
                if (g->rows[row] & (1 << (kGlyphWidth - 1 - col)))
                    fillRect(p, x + col * scale, y + row * scale, scale, scale, c);
        x += (kGlyphWidth + 1) * scale;
    }
    return true;
}
