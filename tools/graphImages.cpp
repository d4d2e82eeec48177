#include "buttonImages.h"

namespace {

struct Drawing {
    const char* name;
    int bits;
    std::vector<const char*> rows;
};

// clang-format off
const Drawing kDrawings[] = {
    {"grbarr3d", 8,  // a bar standing in depth, lit from the left
     {
         "................",
         "........NNNNN...",
         ".......NnnnnNN..",
         "......NNNNNNnN..",
         "......NnnnnNnN..",
         "......NnnnnNnN..",
         "......NnnnnNnN..",
         "......NnnnnNnN..",
         "......NnnnnNnN..",
         "......NnnnnNnN..",
         "......NnnnnNnN..",
         "......NnnnnNnN..",
         "......NnnnnNN...",
         "..kkkkNNNNNNkkk.",
         ".kkkkkkkkkkkkk..",
         "................",
     }},
    {"grxgrid", 24,  // dotted rows across the axes
     {
         "..................",
         ".k................",
         ".k.g.g.g.g.g.g.g..",
         ".k................",
         ".k................",
         ".k.g.g.g.g.g.g.g..",
         ".k................",
         ".k.......r........",
         ".k.g.g.grrrg.g.g..",
         ".k......rrrrr.....",
         ".k.....rr...rr....",
         ".k.g.grrg.g.grrg..",
         ".k...rr.......rr..",
         ".k..rr............",
         ".k.g.g.g.g.g.g.g..",
         ".k................",
         ".kkkkkkkkkkkkkkkk.",
         "..................",
     }},
    {"grygrid", 24,  // dotted columns over the axes
     {
         "..................",
         ".k................",
         ".k..g...g...g...g.",
         ".k................",
         ".k..g...g...g...g.",
         ".k................",
         ".k..g...g...g...g.",
         ".k.......r........",
         ".k..g...rrr.g...g.",
         ".k......rrrrr.....",
         ".k..g..rr.g.rr..g.",
         ".k....rr......rr..",
         ".k..grr.g...g..rr.",
         ".k..rr............",
         ".k..g...g...g...g.",
         ".k................",
         ".kkkkkkkkkkkkkkkk.",
         "..................",
     }},
    {"grpoint", 24,  // a round point
     {
         "................",
         "................",
         "................",
         "................",
         "................",
         "......BBBB......",
         ".....BbbbbB.....",
         ".....BbbbbB.....",
         ".....BbbbbB.....",
         ".....BbbbbB.....",
         "......BBBB......",
         "................",
         "................",
         "................",
         "................",
         "................",
     }},
    {"grcross", 24,  // a cross
     {
         "................",
         "................",
         "................",
         "...BB.....BB....",
         "....BB...BB.....",
         ".....BB.BB......",
         "......BBB.......",
         ".......B........",
         "......BBB.......",
         ".....BB.BB......",
         "....BB...BB.....",
         "...BB.....BB....",
         "................",
         "................",
         "................",
         "................",
     }},
    {"grshape", 24,  // a rhombus
     {
         "................",
         "................",
         ".......B........",
         "......BbB.......",
         ".....BbbbB......",
         "....BbbbbbB.....",
         "...BbbbbbbbB....",
         "..BbbbbbbbbbB...",
         "...BbbbbbbbB....",
         "....BbbbbbB.....",
         ".....BbbbB......",
         "......BbB.......",
         ".......B........",
         "................",
         "................",
         "................",
     }},
};
// clang-format on

}  // namespace

std::vector<ButtonImage> graphImages() {
    std::vector<ButtonImage> images;
    for (const Drawing& d : kDrawings) images.push_back({{d.name, paintLetters(d.name, d.rows)}, d.bits});
    return images;
}
