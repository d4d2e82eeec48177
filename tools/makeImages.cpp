// Draws the program's own pictures and writes them as BMP files (24-bit unless said):
//   bmp_tarvelon.bmp  471 x 444  the about picture and main-window logo: a ballot box
//                                receiving a ballot under a row of result bars
//   a_pri.bmp          32 x 32   the program icon: the same ballot box, small
//   logo_*.bmp                   the 35 party logos (partyLogos.cpp)
//   b_mapa.bmp         16 x 15   the allocation button: a hemicycle of seats
//   abc_*.bmp                    the 17 button and menu images (buttonImages.cpp), at
//                                4, 8 or 24 bits per pixel
//   paloma.bmp, cruz.bmp, ...     the 9 browse-window button images
//                                (browseButtonImages.cpp), 16 x 16
//   grbarr3d.bmp, grxgrid.bmp, ...  the graph window's bar and point-mark images
//                                (graphImages.cpp)
// Usage: urnalia_make_images <output folder>. The drawing is plain arithmetic, so every
// machine writes the same bytes.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "bmpCodec.h"
#include "buttonImages.h"
#include "imageDrawing.h"
#include "partyLogos.h"

namespace {

// A ballot box in front view with its top in perspective, a slot and a ballot entering it,
// scaled into the square (x, y, size).
void ballotBox(Picture& p, double x, double y, double s) {
    const Color front = RGB(52, 84, 160), side = RGB(33, 56, 120), top = RGB(120, 150, 214);
    const Color slot = RGB(20, 20, 40), paper = RGB(255, 255, 255), tick = RGB(30, 150, 70);
    auto X = [&](double u) { return x + u * s; };
    auto Y = [&](double v) { return y + v * s; };
    fillPolygon(p, {{X(0.10), Y(0.45)}, {X(0.75), Y(0.45)}, {X(0.75), Y(0.95)}, {X(0.10), Y(0.95)}},
                front);
    fillPolygon(p, {{X(0.75), Y(0.45)}, {X(0.90), Y(0.35)}, {X(0.90), Y(0.85)}, {X(0.75), Y(0.95)}},
                side);
    fillPolygon(p, {{X(0.10), Y(0.45)}, {X(0.25), Y(0.35)}, {X(0.90), Y(0.35)}, {X(0.75), Y(0.45)}},
                top);
    fillPolygon(p, {{X(0.33), Y(0.41)}, {X(0.38), Y(0.38)}, {X(0.72), Y(0.38)}, {X(0.67), Y(0.41)}},
                slot);
    // The ballot, half inside the slot, with a tick mark.
    fillPolygon(p,
                {{X(0.40), Y(0.05)}, {X(0.66), Y(0.05)}, {X(0.66), Y(0.395)}, {X(0.40), Y(0.395)}},
                paper);
    thickLine(p, X(0.45), Y(0.20), X(0.51), Y(0.28), std::max(1.0, s * 0.035), tick);
    thickLine(p, X(0.51), Y(0.28), X(0.62), Y(0.11), std::max(1.0, s * 0.035), tick);
    // A white band across the front, as on real ballot boxes.
    fillPolygon(p, {{X(0.10), Y(0.60)}, {X(0.75), Y(0.60)}, {X(0.75), Y(0.66)}, {X(0.10), Y(0.66)}},
                mix(front, paper, 0.8));
}

Picture aboutPicture() {
    Picture p(471, 444);
    const Color skyTop = RGB(214, 226, 248), skyBottom = RGB(252, 252, 255),
                frame = RGB(33, 0, 127);
    for (int y = 0; y < p.height; ++y)
        fillRect(p, 0, y, p.width, 1, mix(skyTop, skyBottom, double(y) / p.height));
    // Result bars between the program name and the text lines.
    const Color bars[] = {RGB(198, 30, 30),  RGB(34, 107, 162), RGB(50, 128, 75), RGB(218, 181, 28),
                          RGB(180, 50, 130), RGB(120, 155, 30), RGB(168, 84, 50)};
    const int heights[] = {70, 96, 52, 84, 40, 62, 30};
    for (int i = 0; i < 7; ++i) {
        int x = 80 + i * 46;
        fillRect(p, x + 4, 176 - heights[i] + 4, 30, heights[i], RGB(190, 198, 215));  // shadow
        fillRect(p, x, 176 - heights[i], 30, heights[i], bars[i]);
    }
    fillRect(p, 70, 176, 331, 2, RGB(90, 90, 110));
    // The ballot box between the text lines and the maker lines.
    ballotBox(p, 160, 250, 150);
    // Frame.
    for (int i = 0; i < 5; ++i) {
        Color c = mix(frame, skyTop, i * 0.18);
        fillRect(p, i, i, p.width - 2 * i, 1, c);
        fillRect(p, i, p.height - 1 - i, p.width - 2 * i, 1, c);
        fillRect(p, i, i, 1, p.height - 2 * i, c);
        fillRect(p, p.width - 1 - i, i, 1, p.height - 2 * i, c);
    }
    return p;
}

Picture iconPicture() {
    Picture p(32, 32, RGB(33, 0, 127));
    ballotBox(p, 0, 0, 32);
    return p;
}

bool write(const std::string& path, const Picture& p, int bits = 24) {
    std::vector<uint8_t> bytes;
    if (bits == 24) {
        bytes = encodeBmp24(p);
    } else if (Status s = encodeBmpIndexed(p, bits, bytes); !s.ok()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), s.message().c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    std::vector<NamedPicture> pictures;
    std::vector<ButtonImage> buttons;
    try {
        pictures = partyLogos();
        buttons = buttonImages();
        for (ButtonImage& b : browseButtonImages()) buttons.push_back(std::move(b));
        for (ButtonImage& b : graphImages()) buttons.push_back(std::move(b));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    pictures.push_back(mapaButton());
    pictures.push_back({"bmp_tarvelon", aboutPicture()});
    pictures.push_back({"a_pri", iconPicture()});
    bool ok = true;
    for (const NamedPicture& named : pictures)
        ok = ok && write(folder + "/" + named.name + ".bmp", named.picture);
    for (const ButtonImage& b : buttons)
        ok = ok && write(folder + "/" + b.named.name + ".bmp", b.named.picture, b.bits);
    if (!ok) std::fprintf(stderr, "cannot write the pictures into %s\n", folder.c_str());
    return ok ? 0 : 1;
}
