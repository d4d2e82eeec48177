// urnalia_chart_shot FOLDER: draws sample charts of the chart control into PNG files in
// FOLDER, for looking at them: the results chart (35 parties, votes and seats) as flat and
// 3D bars, lines, points, mixed, a flat and a 3D pie, a small chart and odd data (negative
// values, long labels, huge values, one category). Runs offscreen when there is no display.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "App.h"
#include "Graph.h"
#include "ImageCanvas.h"
#include "TopWindow.h"
#include "chartSample.h"

namespace {

std::string gFolder;
int gFailures = 0;

// A graph set up as the results window sets it up, changed by `adjust`, drawn at w x h.
void shot(TWindow& window, const std::string& name, const std::function<void(TGraph&)>& adjust,
          int w = 1280, int h = 720) {
    TGraph* g = window.add<TGraph>(GraphOptions{.rect = {0, 0, double(w), double(h)}});
    ChartSample s = resultsSample();
    g->cTitle = "Total de votos";
    g->cSubTit = "Elecciones";
    g->cTitX = "Votos";
    g->cTitY = "Partidos";
    g->nClrPane = 15724527;
    g->AddSerie(s.votes, "Votos", 5100);
    g->AddSerie(s.seats, "Representantes", 10100);
    g->SetYVals(s.parties);
    adjust(*g);
    ImageCanvas canvas(w, h, g->nClrPane);
    g->draw(canvas, w, h);
    std::string path = gFolder + "/" + name + ".png";
    if (!canvas.savePng(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        ++gFailures;
    } else {
        std::printf("%s\n", path.c_str());
    }
    g->hide();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: urnalia_chart_shot FOLDER\n");
        return 2;
    }
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    gFolder = argv[1];
    std::filesystem::create_directories(gFolder);
    appEnsure();
    TWindow window(WindowOptions{.title = "chart", .width = 1280, .height = 720});

    shot(window, "bars-flat", [](TGraph&) {});
    shot(window, "bars-3d", [](TGraph& g) { g.l3D = true; });
    shot(window, "bars-values-borders", [](TGraph& g) {
        g.SelSerie(2);
        g.lViewVal = true;
        g.lBorders = true;
        g.cPicture = "99.9";
    });
    shot(window, "lines", [](TGraph& g) { g.nType = TGraph::kLines; });
    shot(window, "lines-3d", [](TGraph& g) {
        g.nType = TGraph::kLines;
        g.l3D = true;
        g.lBorders = true;
    });
    shot(window, "points-cross", [](TGraph& g) {
        g.nType = TGraph::kPoints;
        g.nPoint = 2;
    });
    shot(window, "points-rhombus", [](TGraph& g) {
        g.nType = TGraph::kPoints;
        g.nPoint = 3;
        g.SelSerie(1);
    });
    shot(window, "mixed", [](TGraph& g) {
        g.nType = TGraph::kMixed;
        g.aSeries[1].type = TGraph::kLines;
        g.aSeries[1].name = "Representantes (x200)";
        for (double& v : g.aData[1]) v *= 200;
    });
    shot(window, "pie", [](TGraph& g) {
        g.nType = TGraph::kPie;
        g.SelSerie(1);
    });
    shot(window, "pie-3d", [](TGraph& g) {
        g.nType = TGraph::kPie;
        g.l3D = true;
        g.SelSerie(1);
    });
    shot(window, "pie-period", [](TGraph& g) {
        g.nType = TGraph::kPie;
        g.SelPeriod(6);
        g.nValues = 2;
        g.aData[1][0] *= 200;
    });
    shot(window, "period-bars-3d", [](TGraph& g) {
        g.SelPeriod(1);
        g.l3D = true;
        g.aData[1][0] *= 200;
    });
    shot(window, "small", [](TGraph&) {}, 320, 200);
    shot(window, "odd-data", [](TGraph& g) {
        g.End();
        g.cTitle = "Un título muy largo que no cabe de ninguna manera en el ancho de esta gráfica tan estrecha";
        g.AddSerie({1234.5, -800, std::nan(""), std::numeric_limits<double>::infinity(), 3e9},
                   "Una serie con un nombre larguísimo", 255);
        g.AddSerie({-2500, 400}, "Corta", 65280);
        g.SetYVals({"Primera categoría larga", "Segunda", "Tercera categoría", "Cuarta", "Quinta"});
    }, 640, 400);
    shot(window, "negative-3d", [](TGraph& g) {
        g.End();
        g.l3D = true;
        g.lViewVal = true;
        g.cPicture = "9,999";
        g.AddSerie({1200, -800, 300, -2450, 1900}, "Saldo", 5100);
        g.AddSerie({-300, 500, 700, -100, 0}, "Otro", 10100);
        g.SetYVals({"Ene", "Feb", "Mar", "Abr", "May"});
    }, 640, 400);
    shot(window, "odd-empty", [](TGraph& g) { g.End(); }, 400, 300);
    return gFailures == 0 ? 0 : 1;
}
