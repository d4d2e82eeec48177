#include "buttonImages.h"

namespace {

struct Drawing {
    const char* name;
    std::vector<const char*> rows;
};

// clang-format off
const Drawing kDrawings[] = {
    {"paloma",  // a green tick
     {
         "................",
         "................",
         "..............N.",
         ".............NN.",
         "............NnN.",
         "...........NnN..",
         "..........NnN...",
         ".N.......NnN....",
         ".NN.....NnN.....",
         ".NnN...NnN......",
         "..NnN.NnN.......",
         "...NnNnN........",
         "....NnN.........",
         ".....N..........",
         "................",
         "................",
     }},
    {"cruz",  // a white cross on a red disc
     {
         "................",
         ".....RRRRRR.....",
         "...RRrrrrrrRR...",
         "..RrrrrrrrrrrR..",
         "..RrrwrrrrwrrR..",
         ".RrrwwwrrwwwrrR.",
         ".RrrrwwwwwwrrrR.",
         ".RrrrrwwwwrrrrR.",
         ".RrrrrwwwwrrrrR.",
         ".RrrrwwwwwwrrrR.",
         ".RrrwwwrrwwwrrR.",
         "..RrrwrrrrwrrR..",
         "..RrrrrrrrrrrR..",
         "...RRrrrrrrRR...",
         ".....RRRRRR.....",
         "................",
     }},
    {"dooropen",  // a door swung open on a bright doorway
     {
         "................",
         ".GGGGGGGGGGGGG..",
         ".GooGccccccccG..",
         ".GoooGccccccyG..",
         ".GooooGcccccyG..",
         ".GooooGccccyyG..",
         ".GooooGcccyyyG..",
         ".GooyoGccyyyyG..",
         ".GooyoGcyyyyyG..",
         ".GooooGyyyyyyG..",
         ".GooooGnnnnnnG..",
         ".GooooGnnnnnnG..",
         ".GoooGnnnnnnnG..",
         ".GooGnnnnnnnnG..",
         ".GGGGGGGGGGGGG..",
         "................",
     }},
    {"doorclose",  // a closed door with its knob
     {
         "................",
         ".GGGGGGGGGGGGG..",
         ".GoooooooooooG..",
         ".GoRRRRoRRRRoG..",
         ".GoRooRoRooRoG..",
         ".GoRooRoRooRoG..",
         ".GoRRRRoRRRRoG..",
         ".GoooooooooyyG..",
         ".GoooooooooyyG..",
         ".GoRRRRoRRRRoG..",
         ".GoRooRoRooRoG..",
         ".GoRooRoRooRoG..",
         ".GoRRRRoRRRRoG..",
         ".GoooooooooooG..",
         ".GGGGGGGGGGGGG..",
         "................",
     }},
    {"consultar",  // a magnifying glass over a written page
     {
         "..kkkkkkkkk.....",
         "..kwwwwwwwkk....",
         "..kwggggwwkwk...",
         "..kwwwwwwwkkkk..",
         "..kwggggggggwk..",
         "..kwwwGGGGwwwk..",
         "..kwggGccGGgwk..",
         "..kwwGcwccGwwk..",
         "..kwgGccccGgwk..",
         "..kwwGccccGwwk..",
         "..kwwwGGGGRwwk..",
         "..kwwwwwwwwRwk..",
         "..kkkkkkkkkkRR..",
         ".............RR.",
         "..............R.",
         "................",
     }},
    {"editbut",  // a pencil writing on a page
     {
         "..kkkkkkkkk.....",
         "..kwwwwwwwkk..R.",
         "..kwggggwwkwkRRR",
         "..kwwwwwwwkkRyyR",
         "..kwggggggwRyyR.",
         "..kwwwwwwwRyyRk.",
         "..kwgggggRyyRwk.",
         "..kwwwwwRyyRwwk.",
         "..kwggggpyRggwk.",
         "..kwwwwkppwwwwk.",
         "..kwggkkgggggwk.",
         "..kwwwwwwwwwwwk.",
         "..kwggggggggwwk.",
         "..kwwwwwwwwwwwk.",
         "..kkkkkkkkkkkkk.",
         "................",
     }},
    {"nuevo",  // a blank page with a green plus
     {
         "..kkkkkkkk......",
         "..kwwwwwwkk.....",
         "..kwwwwwwkwk....",
         "..kwwwwwwkwwk...",
         "..kwwwwwwkkkkk..",
         "..kwwwwwwwwwwk..",
         "..kwwwwwwwwwwk..",
         "..kwwwwwwwwwwk..",
         "..kwwwwwwwNNNk..",
         "..kwwwwwwwNnNk..",
         "..kwwwwwNNNnNNN.",
         "..kwwwwwNnnnnnN.",
         "..kwwwwwNNNnNNN.",
         "..kkkkkkkkNnN...",
         "..........NNN...",
         "................",
     }},
    {"eliminar",  // a rubbish bin with its lid
     {
         "......GGGG......",
         "..GGGGGllGGGGG..",
         "..GllllllllllG..",
         "..GGGGGGGGGGGG..",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "...GlgGlgGlgG...",
         "....GGGGGGGG....",
         "................",
     }},
    {"printer",  // a printer with a written sheet coming out
     {
         "....kkkkkkkk....",
         "....kwwwwwwk....",
         "....kwbbbbwk....",
         "....kwwwwwwk....",
         "....kwbbbwwk....",
         "..BBBBBBBBBBBB..",
         ".BbbbbbbbbbbbbB.",
         ".BbbbbbbbbbnnbB.",
         ".BbbbbbbbbbbbbB.",
         ".BBBBBBBBBBBBBB.",
         ".BbkkkkkkkkkkbB.",
         ".BbbbbbbbbbbbbB.",
         ".BBBBBBBBBBBBBB.",
         "..GG........GG..",
         "................",
         "................",
     }},
};
// clang-format on

}  // namespace

std::vector<ButtonImage> browseButtonImages() {
    std::vector<ButtonImage> out;
    for (const Drawing& d : kDrawings) out.push_back({{d.name, paintLetters(d.name, d.rows)}, 24});
    return out;
}
