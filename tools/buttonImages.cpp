#include "buttonImages.h"

#include <stdexcept>
#include <string>

namespace {

// One letter per colour in the drawings below.
struct Ink {
    char letter;
    Color color;
};
constexpr Ink kInks[] = {
    {'.', RGB(192, 192, 192)},  // background: the button face shows through
    {'k', RGB(0, 0, 0)},        {'w', RGB(255, 255, 255)}, {'g', RGB(128, 128, 128)},
    {'G', RGB(64, 64, 64)},     {'l', RGB(224, 224, 224)}, {'r', RGB(220, 30, 30)},
    {'R', RGB(128, 0, 0)},      {'b', RGB(40, 90, 210)},   {'B', RGB(0, 0, 128)},
    {'y', RGB(250, 210, 0)},    {'o', RGB(240, 140, 0)},   {'n', RGB(0, 160, 60)},
    {'N', RGB(0, 100, 0)},      {'c', RGB(150, 210, 240)}, {'p', RGB(240, 200, 150)},
    {'m', RGB(230, 110, 170)},
};

struct Drawing {
    const char* name;
    int bits;
    std::vector<const char*> rows;
};

// clang-format off
const Drawing kDrawings[] = {
    {"borrar", 4,  // a red cross
     {
         "................",
         ".RRR.......RRR..",
         ".RrrR.....RrrR..",
         "..RrrR...RrrR...",
         "...RrrR.RrrR....",
         "....RrrRrrR.....",
         ".....RrrrR......",
         "......RrR.......",
         ".....RrrrR......",
         "....RrrRrrR.....",
         "...RrrR.RrrR....",
         "..RrrR...RrrR...",
         ".RrrR.....RrrR..",
         ".RRR.......RRR..",
         "................",
         "................",
     }},
    {"checked", 8,  // a ticked check box
     {
         "................",
         "................",
         "..gggggggggggw..",
         "..gGGGGGGGGGlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwNwlw..",
         "..gGwwwwwNNwlw..",
         "..gGNwwwNNNwlw..",
         "..gGNNwNNNwwlw..",
         "..gGNNNNNwwwlw..",
         "..gGwNNNwwwwlw..",
         "..gGwwNwwwwwlw..",
         "..gGlllllllllw..",
         "..wwwwwwwwwwww..",
         "................",
         "................",
     }},
    {"configuracion", 24,  // a gear
     {
         "......GGG.......",
         "......GlG.......",
         "..GG..GlG..GG...",
         "..GlGGlllGGgG...",
         "...GllllllgG....",
         "...GllGGGggG....",
         "GGGllG...GggGGG.",
         "GllllG...GggggG.",
         "GGGllG...GggGGG.",
         "...GlgGGGggG....",
         "...GgggggggG....",
         "..GgGGgggGGgG...",
         "..GG..GgG..GG...",
         "......GgG.......",
         "......GGG.......",
         "................",
     }},
    {"copiar", 24,  // two sheets, one over the other
     {
         "................",
         ".kkkkkk.........",
         ".kwwwwkk........",
         ".kwggwkwk.......",
         ".kwwwwkkkk......",
         ".kwgggkkkkkkk...",
         ".kwwwwkwwwwwkk..",
         ".kwgggkwbbbwkwk.",
         ".kwwwwkwwwwwkkkk",
         ".kwgggkwbbbbbbwk",
         ".kkkkkkwwwwwwwwk",
         "......kwbbbbbbwk",
         "......kwwwwwwwwk",
         "......kwbbbbbbwk",
         "......kwwwwwwwwk",
         "......kkkkkkkkkk",
     }},
    {"editar", 4,  // a pencil
     {
         "................",
         "................",
         "............GG..",
         "...........GmmG.",
         "..........GmmmG.",
         ".........GylmG..",
         "........GyyoG...",
         ".......GyyoG....",
         "......GyyoG.....",
         ".....GyyoG......",
         "....GyyoG.......",
         "...GppoG........",
         "..GpppG.........",
         "..kkpG..........",
         "..kkG...........",
         "................",
     }},
    {"estadisticas", 24,  // a bar chart on a grid
     {
         "......................",
         ".k....................",
         ".k....................",
         ".k.............yyyo...",
         ".k.............yyyo...",
         ".kg.g.g.g.g.g.gyyyo.g.",
         ".k.....nnnN....yyyo...",
         ".k.....nnnN....yyyo...",
         ".k.....nnnN....yyyo...",
         ".k.....nnnNbbbByyyo...",
         ".kg.g.gnnnNbbbByyyo.g.",
         ".k.....nnnNbbbByyyo...",
         ".k.rrrRnnnNbbbByyyo...",
         ".k.rrrRnnnNbbbByyyo...",
         ".k.rrrRnnnNbbbByyyo...",
         ".kgrrrRnnnNbbbByyyo.g.",
         ".k.rrrRnnnNbbbByyyo...",
         ".k.rrrRnnnNbbbByyyo...",
         ".k.rrrRnnnNbbbByyyo...",
         ".k.rrrRnnnNbbbByyyo...",
         ".kkkkkkkkkkkkkkkkkkkk.",
         "......................",
     }},
    {"font", 24,  // the letter A over a colour bar
     {
         "................",
         "......BBB.......",
         "......BBB.......",
         ".....BB.BB......",
         ".....BB.BB......",
         "....BB...BB.....",
         "....BB...BB.....",
         "...BBBBBBBBB....",
         "...BB.....BB....",
         "..BB.......BB...",
         "..BB.......BB...",
         ".BBBB.....BBBB..",
         "................",
         ".rrrrrrrrrrrrr..",
         ".rrrrrrrrrrrrr..",
         "................",
     }},
    {"gr_barras", 24,  // bars on axes
     {
         "................",
         ".k..............",
         ".k..............",
         ".k....nn........",
         ".k....nn........",
         ".k....nn........",
         ".k....nn.bb.....",
         ".k....nn.bb.....",
         ".k.rr.nn.bb.....",
         ".k.rr.nn.bb.....",
         ".k.rr.nn.bb.yy..",
         ".k.rr.nn.bb.yy..",
         ".k.rr.nn.bb.yy..",
         ".k.rr.nn.bb.yy..",
         ".kkkkkkkkkkkkkk.",
         "................",
     }},
    {"gr_lineas", 24,  // two lines on axes
     {
         "................",
         ".k..............",
         ".k..............",
         ".k.........r....",
         ".k.........rrr..",
         ".k........r...r.",
         ".k...r....r.....",
         ".k..r.r..r......",
         ".k..r..r.r......",
         ".k.r....r..bb...",
         ".k.r......b..bb.",
         ".kr..bb..b......",
         ".k.bb..bb.......",
         ".kb.............",
         ".kkkkkkkkkkkkkk.",
         "................",
     }},
    {"gr_pastel", 24,  // a pie in three slices
     {
         ".....kkkkk......",
         "...kkkykrkkk....",
         "..kkyyykrrrkk...",
         ".kkyyyykrrrrkk..",
         ".kyyyyykrrrrrk..",
         "kkyyyyykrrrrrkk.",
         "kyyyyyykrrrrrrk.",
         "kyyyyykkrrrrrrk.",
         "kyykkkkkkrrrrrk.",
         "kkkkbbbbkkrrrkk.",
         ".kbbbbbbbkkrrk..",
         ".kkbbbbbbbkkkk..",
         "..kkbbbbbbbkk...",
         "...kkkbbbkkk....",
         ".....kkkkk......",
         "................",
     }},
    {"gr_puntos", 24,  // scattered points on axes
     {
         "................",
         ".k..............",
         ".k..............",
         ".k..........rr..",
         ".k......nn..rr..",
         ".k......nn......",
         ".k.........rr...",
         ".k...bb....rr...",
         ".k...bb...bb....",
         ".k........bb.nn.",
         ".k.rr........nn.",
         ".k.rr..rr.......",
         ".k..nn.rr.......",
         ".k..nn..........",
         ".kkkkkkkkkkkkkk.",
         "................",
     }},
    {"grabar", 24,  // a diskette
     {
         "................",
         ".kkkkkkkkkkkkk..",
         ".kbkllllllgglkk.",
         ".kbkllllllgglkbk",
         ".kbkllllllgglkbk",
         ".kbkkkkkkkkkkkbk",
         ".kbbbbbbbbbbbbbk",
         ".kbbbbbbbbbbbbbk",
         ".kbwwwwwwwwwwwbk",
         ".kbwrrrrrrrrrwbk",
         ".kbwwwwwwwwwwwbk",
         ".kbwggggggggwwbk",
         ".kbwwwwwwwwwwwbk",
         ".kbwggggggwwwwbk",
         ".kkkkkkkkkkkkkkk",
         "................",
     }},
    {"impresora", 4,  // a printer with its sheet
     {
         "................",
         "....kkkkkkkk....",
         "....kwwwwwwk....",
         "....kwggggwk....",
         "....kwwwwwwk....",
         "..kkkkkkkkkkkk..",
         ".kllllllllllllk.",
         ".kllllllllllnlk.",
         ".kggggggggggggk.",
         ".kggggggggggggk.",
         ".kgkkkkkkkkkkgk.",
         ".kggkwwwwwwkggk.",
         ".kkkkwggggwkkkk.",
         "....kwwwwwwk....",
         "....kkkkkkkk....",
         "................",
     }},
    {"lupa", 4,  // a magnifying glass
     {
         "................",
         "...GGGGGG.......",
         "..GGccccGG......",
         ".GGcwwcccGG.....",
         ".GcwccccccG.....",
         ".GcwccccccG.....",
         ".GccccccccG.....",
         ".GccccccccG.....",
         ".GGccccccGG.....",
         "..GGccccGG......",
         "...GGGGGG.RR....",
         "..........RRR...",
         "...........RRR..",
         "............RRR.",
         ".............RR.",
         "................",
     }},
    {"nuevo", 4,  // a blank sheet with a star
     {
         "..y.............",
         ".yyy.kkkkkkk....",
         "yyyyykwwwwwkk...",
         ".yyy.kwwwwwkwk..",
         ".y.y.kwwwwwkkkk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kwwwwwwwwk.",
         ".....kkkkkkkkkk.",
         "................",
     }},
    {"uncheked", 8,  // an empty check box
     {
         "................",
         "................",
         "..gggggggggggw..",
         "..gGGGGGGGGGlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwwwlw..",
         "..gGwwwwwwwwlw..",
         "..gGlllllllllw..",
         "..wwwwwwwwwwww..",
         "................",
         "................",
     }},
    {"ver", 4,  // an eye
     {
         "................",
         "................",
         "................",
         ".....kkkkkk.....",
         "...kkwwwwwwkk...",
         "..kwwwbbbbwwwk..",
         ".kwwwbbkkbbwwwk.",
         "kwwwwbkkwkbwwwwk",
         ".kwwwbbkkbbwwwk.",
         "..kwwwbbbbwwwk..",
         "...kkwwwwwwkk...",
         ".....kkkkkk.....",
         "................",
         "................",
         "................",
         "................",
     }},
};
// clang-format on

Picture paint(const Drawing& d) {
    return paintLetters(d.name, d.rows);
}

}  // namespace

Picture paintLetters(const std::string& name, const std::vector<const char*>& rows) {
    const int width = int(std::string(rows.front()).size()), height = int(rows.size());
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        std::string row = rows[size_t(y)];
        if (int(row.size()) != width)
            throw std::runtime_error("button image " + name + ": row " +
                                     std::to_string(y) + " has another width");
        for (int x = 0; x < width; ++x) {
            const Ink* ink = nullptr;
            for (const Ink& i : kInks)
                if (i.letter == row[size_t(x)]) ink = &i;
            if (!ink)
                throw std::runtime_error("button image " + name +
                                         ": no colour for '" + row[size_t(x)] + "'");
            p.set(x, y, ink->color);
        }
    }
    return p;
}

std::vector<ButtonImage> buttonImages() {
    std::vector<ButtonImage> out;
    for (const Drawing& d : kDrawings)
        out.push_back({{std::string("abc_") + d.name, paint(d)}, d.bits});
    return out;
}
