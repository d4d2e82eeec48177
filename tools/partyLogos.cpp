#include "partyLogos.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include "imageDrawing.h"

namespace {

enum class Emblem {
    rose,
    ring,
    tree,
    flag,
    heart,
    gull,
    islands,
    chevrons,
    bars,
    star,
    leaf,
    sun,
    diamond,
    cross,
    waves,
    peaks,
    crescent
};

struct LogoSpec {
    const char* acronym;  // the logo is named "logo_" + the acronym in lower case
    int width, height;
    Emblem emblem;
    Color ink, accent, paper;
};

constexpr Color kWhite = RGB(255, 255, 255), kRed = RGB(206, 24, 30), kGreen = RGB(0, 128, 60),
                kBlue = RGB(20, 60, 160), kYellow = RGB(250, 200, 0), kOrange = RGB(236, 120, 0),
                kBlack = RGB(24, 24, 24), kSky = RGB(120, 180, 230), kCream = RGB(252, 246, 220);

const LogoSpec kLogos[] = {
    {"PSOE", 63, 61, Emblem::rose, kRed, kGreen, kWhite},
    {"IU", 94, 62, Emblem::ring, kRed, kGreen, kWhite},
    {"LV", 62, 48, Emblem::tree, kGreen, RGB(120, 72, 30), kWhite},
    {"PA", 65, 84, Emblem::flag, kGreen, kWhite, kCream},
    {"PSC", 63, 63, Emblem::heart, kRed, kYellow, kWhite},
    {"PP", 63, 43, Emblem::gull, kWhite, RGB(60, 110, 200), kBlue},
    {"CC", 38, 25, Emblem::islands, kYellow, kSky, kBlue},
    {"FE", 38, 40, Emblem::chevrons, kRed, kWhite, kBlack},
    {"DN", 38, 32, Emblem::bars, kRed, kBlue, kWhite},
    {"ERC", 38, 25, Emblem::star, kRed, kYellow, kWhite},
    {"ICV", 38, 25, Emblem::leaf, kGreen, kRed, kWhite},
    {"BNG", 38, 42, Emblem::star, kRed, kSky, kWhite},
    {"PSA", 38, 25, Emblem::sun, kGreen, kYellow, kWhite},
    {"CIU", 38, 27, Emblem::diamond, kOrange, kBlue, kWhite},
    {"UPN", 38, 25, Emblem::cross, kRed, kYellow, kWhite},
    {"E2000", 38, 25, Emblem::waves, kRed, kYellow, kWhite},
    {"EA", 38, 38, Emblem::peaks, kGreen, RGB(90, 160, 90), kWhite},
    {"PNV", 38, 38, Emblem::cross, kWhite, kGreen, kRed},
    {"ANV", 38, 38, Emblem::star, kRed, kWhite, kGreen},
    {"CDC", 38, 27, Emblem::diamond, kBlue, kOrange, RGB(232, 232, 236)},
    {"CHA", 38, 25, Emblem::chevrons, kYellow, kRed, RGB(150, 20, 24)},
    {"ARALAR", 38, 34, Emblem::peaks, kRed, kGreen, kCream},
    {"PAS", 38, 25, Emblem::cross, kYellow, kBlue, kWhite},
    {"PAR", 38, 37, Emblem::ring, kRed, kYellow, kWhite},
    {"EU", 38, 42, Emblem::gull, kGreen, kYellow, kWhite},
    {"AA", 38, 44, Emblem::crescent, kBlue, kYellow, kWhite},
    {"UV", 38, 42, Emblem::flag, kRed, kYellow, kSky},
    {"BLOC", 38, 37, Emblem::islands, kOrange, kBlue, kWhite},
    {"CDN", 38, 29, Emblem::leaf, kBlue, kGreen, RGB(226, 238, 250)},
    {"ENV", 38, 25, Emblem::heart, kGreen, kWhite, kCream},
    {"PHC", 38, 25, Emblem::sun, kOrange, kWhite, RGB(255, 236, 200)},
    {"CNC", 38, 25, Emblem::tree, RGB(0, 90, 40), kRed, kCream},
    {"PR", 38, 25, Emblem::rose, kYellow, kGreen, kWhite},
    {"PSM", 38, 25, Emblem::bars, kGreen, kRed, kWhite},
    {"UM", 38, 25, Emblem::waves, kBlue, kSky, kWhite},
};

// Draws an emblem into the square (x, y, s); u and v are fractions of the square.
class EmblemPainter {
  public:
    EmblemPainter(Picture& p, double x, double y, double s, const LogoSpec& spec)
        : p_(p), x_(x), y_(y), s_(s), ink_(spec.ink), accent_(spec.accent), paper_(spec.paper) {}

    void draw(Emblem e) {
        switch (e) {
            case Emblem::rose:
                line(0.5, 0.95, 0.5, 0.5, 0.08, accent_);
                ellipse(0.52, 0.62, 0.3, 0.16, accent_);
                ellipse(0.2, 0.05, 0.6, 0.55, ink_);
                ellipse(0.35, 0.18, 0.3, 0.25, mix(ink_, paper_, 0.4));
                break;
            case Emblem::ring:
                ellipse(0.05, 0.05, 0.9, 0.9, ink_);
                ellipse(0.2, 0.2, 0.6, 0.6, accent_);
                ellipse(0.33, 0.33, 0.34, 0.34, paper_);
                break;
            case Emblem::tree:
                rect(0.42, 0.65, 0.16, 0.3, accent_);
                poly({{0.5, 0.02}, {0.88, 0.72}, {0.12, 0.72}}, ink_);
                break;
            case Emblem::flag:
                rect(0.08, 0.05, 0.07, 0.9, kBlack);
                for (int band = 0; band < 3; ++band)
                    rect(0.15, 0.1 + band * 0.18, 0.77, 0.18, band == 1 ? accent_ : ink_);
                break;
            case Emblem::heart:
                ellipse(0.08, 0.12, 0.46, 0.46, ink_);
                ellipse(0.46, 0.12, 0.46, 0.46, ink_);
                poly({{0.1, 0.45}, {0.9, 0.45}, {0.5, 0.95}}, ink_);
                ellipse(0.22, 0.25, 0.14, 0.14, accent_);
                break;
            case Emblem::gull:
                ellipse(0.1, 0.1, 0.8, 0.8, accent_);
                polyline({{0.02, 0.42}, {0.28, 0.3}, {0.5, 0.55}, {0.72, 0.3}, {0.98, 0.42}}, 0.1,
                         ink_);
                break;
            case Emblem::islands:
                for (int i = 0; i < 7; ++i)
                    ellipse(0.04 + i * 0.13, 0.3 + 0.18 * std::abs(i - 3) / 3.0, 0.14, 0.14, ink_);
                line(0.05, 0.85, 0.95, 0.85, 0.08, accent_);
                break;
            case Emblem::chevrons:
                chevron(0.05, ink_);
                chevron(0.45, accent_);
                break;
            case Emblem::bars:
                rect(0.1, 0.55, 0.22, 0.4, ink_);
                rect(0.39, 0.3, 0.22, 0.65, accent_);
                rect(0.68, 0.05, 0.22, 0.9, ink_);
                break;
            case Emblem::star:
                ellipse(0.0, 0.0, 1.0, 1.0, accent_);
                fillStar(p_, X(0.5), Y(0.53), s_ * 0.48, s_ * 0.2, 5, ink_);
                break;
            case Emblem::leaf:
                poly({{0.1, 0.9}, {0.2, 0.35}, {0.55, 0.1}, {0.9, 0.1}, {0.85, 0.45}, {0.6, 0.8}},
                     ink_);
                line(0.1, 0.9, 0.75, 0.25, 0.07, accent_);
                break;
            case Emblem::sun:
                for (int i = 0; i < 8; ++i) {
                    double a = i * kPi / 4;
                    line(0.5, 0.5, 0.5 + 0.48 * std::cos(a), 0.5 + 0.48 * std::sin(a), 0.1, ink_);
                }
                ellipse(0.22, 0.22, 0.56, 0.56, ink_);
                ellipse(0.34, 0.34, 0.32, 0.32, accent_);
                break;
            case Emblem::diamond:
                poly({{0.5, 0.0}, {1.0, 0.5}, {0.5, 1.0}, {0.0, 0.5}}, ink_);
                poly({{0.5, 0.25}, {0.75, 0.5}, {0.5, 0.75}, {0.25, 0.5}}, accent_);
                break;
            case Emblem::cross:
                ellipse(0.0, 0.0, 1.0, 1.0, accent_);
                rect(0.38, 0.1, 0.24, 0.8, ink_);
                rect(0.1, 0.38, 0.8, 0.24, ink_);
                break;
            case Emblem::waves:
                for (int i = 0; i < 3; ++i) {
                    double v = 0.2 + i * 0.3;
                    Color c = i == 1 ? accent_ : ink_;
                    for (int k = 0; k < 4; ++k)
                        line(k * 0.25, v + (k % 2 ? -0.1 : 0.1), (k + 1) * 0.25,
                             v + (k % 2 ? 0.1 : -0.1), 0.12, c);
                }
                break;
            case Emblem::peaks:
                poly({{0.0, 0.95}, {0.35, 0.2}, {0.7, 0.95}}, accent_);
                poly({{0.3, 0.95}, {0.65, 0.05}, {1.0, 0.95}}, ink_);
                poly({{0.56, 0.28}, {0.65, 0.05}, {0.74, 0.28}}, paper_);
                break;
            case Emblem::crescent:
                ellipse(0.05, 0.05, 0.9, 0.9, ink_);
                ellipse(0.3, 0.0, 0.8, 0.8, paper_);
                fillStar(p_, X(0.72), Y(0.62), s_ * 0.2, s_ * 0.08, 5, accent_);
                break;
        }
    }

  private:
    double X(double u) const { return x_ + u * s_; }
    double Y(double v) const { return y_ + v * s_; }
    void rect(double u, double v, double w, double h, Color c) {
        poly({{u, v}, {u + w, v}, {u + w, v + h}, {u, v + h}}, c);
    }
    void ellipse(double u, double v, double w, double h, Color c) {
        fillEllipse(p_, X(u), Y(v), w * s_, h * s_, c);
    }
    void poly(const Points& uv, Color c) {
        Points pts;
        for (auto [u, v] : uv) pts.emplace_back(X(u), Y(v));
        fillPolygon(p_, pts, c);
    }
    void line(double u1, double v1, double u2, double v2, double width, Color c) {
        thickLine(p_, X(u1), Y(v1), X(u2), Y(v2), std::max(1.0, width * s_), c);
    }
    void polyline(const Points& uv, double width, Color c) {
        for (size_t i = 0; i + 1 < uv.size(); ++i)
            line(uv[i].first, uv[i].second, uv[i + 1].first, uv[i + 1].second, width, c);
    }
    void chevron(double v, Color c) {
        poly({{0.1, v + 0.45},
              {0.5, v},
              {0.9, v + 0.45},
              {0.9, v + 0.6},
              {0.5, v + 0.2},
              {0.1, v + 0.6}},
             c);
    }

    Picture& p_;
    double x_, y_, s_;
    Color ink_, accent_, paper_;
};

// The largest font scale (1 to 3) at which the acronym fits the width and takes at most a
// third of the height.
int textScale(const LogoSpec& spec) {
    int scale = 3;
    while (scale > 1 && (textWidth(spec.acronym, scale) > spec.width - 4 ||
                         kGlyphHeight * scale > spec.height / 3))
        --scale;
    return scale;
}

int luminance(Color c) {
    return (299 * redOf(c) + 587 * greenOf(c) + 114 * blueOf(c)) / 1000;
}

// The acronym in the party's ink, or in black or white where the ink would not stand out
// from the paper.
Color textColor(const LogoSpec& spec) {
    int paper = luminance(spec.paper);
    if (std::abs(luminance(spec.ink) - paper) >= 100) return spec.ink;
    return paper >= 128 ? kBlack : kWhite;
}

Picture drawLogo(const LogoSpec& spec) {
    Picture p(spec.width, spec.height, spec.paper);
    const Color frame = spec.ink == kWhite ? spec.accent : spec.ink;
    fillRect(p, 0, 0, p.width, 1, frame);
    fillRect(p, 0, p.height - 1, p.width, 1, frame);
    fillRect(p, 0, 0, 1, p.height, frame);
    fillRect(p, p.width - 1, 0, 1, p.height, frame);

    const int scale = textScale(spec);
    const int textY = p.height - 1 - scale - kGlyphHeight * scale;
    if (!drawText(p, (p.width - textWidth(spec.acronym, scale)) / 2, textY, spec.acronym, scale,
                  textColor(spec)))
        throw std::runtime_error(std::string("the font has no letter for ") + spec.acronym);

    const double top = 2, side = std::min(p.width - 4.0, textY - scale - top);
    EmblemPainter(p, (p.width - side) / 2, top, side, spec).draw(spec.emblem);
    return p;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::vector<NamedPicture> partyLogos() {
    std::vector<NamedPicture> logos;
    for (const LogoSpec& spec : kLogos)
        logos.push_back({"logo_" + lower(spec.acronym), drawLogo(spec)});
    return logos;
}

NamedPicture mapaButton() {
    // Seats on a half ring around the speaker's desk, coloured by group from left to right.
    Picture p(16, 15, RGB(192, 192, 192));
    const Color groups[] = {kRed, kYellow, kGreen, kBlue};
    const double cx = 7.5, cy = 12.0;
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 16; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy, r = std::hypot(dx, dy);
            if (r < 3.2 || r > 7.8 || dy > 0.5) continue;
            double fromLeft = std::atan2(-dy, -dx) / kPi;  // 0 left .. 1 right
            p.set(x, y, groups[std::clamp(int(fromLeft * 4), 0, 3)]);
        }
    fillRect(p, 0, 13, 16, 2, RGB(64, 64, 64));
    fillRect(p, 6, 10, 4, 3, kBlack);
    return {"b_mapa", p};
}
