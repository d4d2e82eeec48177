// The graph window: its bar, its view boxes and the consistency of chart, item box and
// buttons; and the results graph of a count window.
#include <gtest/gtest.h>

#include "BtnBmp.h"
#include "ComboBox.h"
#include "GuiHarness.h"
#include "TableLayer.h"
#include "TopWindow.h"
#include "bmpCodec.h"
#include "mainArchivo.h"
#include "mainConfig.h"
#include "electionSetUp.h"
#include "memoryTables.h"
#include "vertGrap.h"

namespace {

struct GraphWindow : ::testing::Test {
    void TearDown() override { verTGraph::cierraTodo(); }

    static verTGraph* open(int series, int categories) {
        VerTGraphArgs a;
        for (int s = 0; s < series; ++s) {
            a.data.emplace_back();
            for (int c = 0; c < categories; ++c) a.data.back().push_back(10.0 * (s + 1) + c);
            a.names.push_back("S" + std::to_string(s + 1));
        }
        for (int c = 0; c < categories; ++c) a.labels.push_back("C" + std::to_string(c + 1));
        a.ownWindow = true;
        return verTGraph::New(a);
    }
    static bool enabled(verTGraph& g, const char* name) { return g.oBtnWnd.at(name)->enabled(); }
};

TEST_F(GraphWindow, TheBarHasTwelveNamedButtonsAndTheSeriesTheirColours) {
    verTGraph* g = open(2, 5);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"bitmap", "Bitmap"},         {"barras", "Barras"},
        {"lineas", "Líneas"},         {"puntos", "Puntos"},
        {"pastel", "Pastel"},         {"tresD", "Vista en 3D"},
        {"rejHor", "Rejilla horizontal"}, {"rejVer", "Rejilla vertical"},
        {"letra", "Tipo de letra"},   {"imprimir", "Imprimir"},
        {"copiar", "Copiar"},         {"prop", "Propiedades..."}};
    ASSERT_EQ(g->oBtnWnd.size(), expected.size());
    std::vector<std::string> groups;
    for (const auto& [name, tip] : expected) {
        TBtnBmp* b = g->oBtnWnd.at(name);
        EXPECT_EQ(b->cToolTip(), tip);
        EXPECT_NE(b->hBitmap(1), 0) << name;
        if (b->group()) groups.push_back(name);
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"barras", "tresD", "imprimir"}));

    TGraph& graph = *g->graph();
    EXPECT_EQ(g->window()->title(), " Análisis gráfico de datos");
    EXPECT_EQ(g->aSeries, (std::vector<std::string>{"<Todas las series>", "S1", "S2"}));
    ASSERT_EQ(graph.aSTemp.size(), 2u);
    EXPECT_EQ(graph.aSTemp[0].color, 5100u);
    EXPECT_EQ(graph.aSTemp[1].color, 10100u);
    EXPECT_EQ(graph.nClrPane, 15724527u);
    EXPECT_TRUE(graph.lPopUp);
    EXPECT_EQ(g->modeBox()->items(), (std::vector<std::string>{"Series", "Periodos"}));
    EXPECT_EQ(g->itemBox()->text(), "<Todas las series>");
    EXPECT_TRUE(g->itemBox()->enabled());

    // The 3D and grid buttons toggle their flags.
    g->oBtnWnd.at("tresD")->Click();
    g->oBtnWnd.at("rejHor")->Click();
    EXPECT_TRUE(graph.l3D);
    EXPECT_FALSE(graph.lxGrid);
    EXPECT_TRUE(graph.lyGrid);

    g->close();
    EXPECT_TRUE(verTGraph::abiertos().empty());
    EXPECT_TRUE(graph.aDTemp.empty());
}

TEST_F(GraphWindow, ViewsItemsAndButtonsStayConsistent) {
    // One series: the item box is hidden, "<Todas las series>" still heads the list.
    verTGraph* one = open(1, 4);
    EXPECT_FALSE(one->itemBox()->visible());
    EXPECT_EQ(one->aSeries.front(), "<Todas las series>");

    verTGraph* g = open(3, 4);
    TGraph& graph = *g->graph();
    // Choosing series 2 in the item box shows it alone.
    g->itemBox()->pick(3);
    ASSERT_EQ(graph.aData.size(), 1u);
    EXPECT_EQ(graph.aSeries[0].name, "S2");

    // "Pastel" while every series is shown moves the item box to the first series.
    g->itemBox()->pick(1);
    EXPECT_EQ(graph.aData.size(), 3u);
    g->oBtnWnd.at("pastel")->Click();
    EXPECT_EQ(graph.nType, TGraph::kPie);
    EXPECT_EQ(g->itemBox()->selected(), 2);
    EXPECT_EQ(g->itemText(), "S1");
    ASSERT_EQ(graph.aSeries.size(), 1u);
    EXPECT_EQ(graph.aSeries[0].name, "S1");
    EXPECT_FALSE(enabled(*g, "rejHor"));
    EXPECT_FALSE(enabled(*g, "rejVer"));

    // A line chart switched to the view by period becomes a pie; "Líneas" is disabled.
    g->oBtnWnd.at("lineas")->Click();
    EXPECT_EQ(graph.nType, TGraph::kLines);
    EXPECT_TRUE(enabled(*g, "rejHor"));
    g->modeBox()->pick(2);
    EXPECT_EQ(g->nGraph, 2);
    EXPECT_EQ(graph.nType, TGraph::kPie);
    EXPECT_FALSE(enabled(*g, "lineas"));
    EXPECT_EQ(g->itemBox()->items(), (std::vector<std::string>{"C1", "C2", "C3", "C4"}));
    EXPECT_EQ(graph.aYVals, (std::vector<std::string>{"C1"}));
    g->itemBox()->pick(3);
    EXPECT_EQ(graph.aYVals, (std::vector<std::string>{"C3"}));
    ASSERT_EQ(graph.aData.size(), 3u);
    EXPECT_EQ(graph.aData[1], (std::vector<double>{22}));
    EXPECT_EQ(graph.nValues, 2);

    // Back to the view by series, bars: every series again, "Líneas" enabled.
    g->oBtnWnd.at("barras")->Click();
    g->modeBox()->pick(1);
    EXPECT_EQ(graph.aData.size(), 3u);
    EXPECT_TRUE(enabled(*g, "lineas"));

    // A single category: "Líneas" disabled in both views.
    verTGraph* single = open(2, 1);
    EXPECT_FALSE(enabled(*single, "lineas"));
    single->modeBox()->pick(2);
    EXPECT_FALSE(enabled(*single, "lineas"));
    single->modeBox()->pick(1);
    EXPECT_FALSE(enabled(*single, "lineas"));
}

TEST_F(GraphWindow, OwnBarImagesComeByName) {
    const std::vector<std::tuple<std::string, int, int>> images = {
        {"GRBARR3D", 16, 1334}, {"grxgrid", 18, 1062}, {"GrYGrid", 18, 1062}};
    for (const auto& [name, side, bytes] : images) {
        std::string bmp = BITMAPS(name);
        ASSERT_EQ(int(bmp.size()), bytes) << name;
        Picture p;
        ASSERT_TRUE(decodeBmp(std::span(reinterpret_cast<const uint8_t*>(bmp.data()), bmp.size()), p).ok());
        EXPECT_EQ(p.width, side);
        EXPECT_EQ(p.height, side);
    }
    EXPECT_EQ(BITMAPS("gr_barras"), "");
}

// The results graph of a count: the totals and the seats at the moment it opens.
TEST(ResultsGraph, ChartsTheVotesAndSeatsOfTheCountWindow) {
    freshElection();
    ABRIR_CONTEO("P", 1);
    auto* a = static_cast<archivo*>(abcMaster::hWnd()["votos"].controlador);
    ASSERT_NE(a, nullptr);
    const std::string conteos = a->oEntorno()->alias("conteos");
    auto putVotes = [&](int party, double votes) {
        DBSELECTAREA(conteos);
        FIELDPUT(party, Value(votes));
    };
    putVotes(1, 120);
    putVotes(35, 7);

    verTGraph* g = VOTOS_GRAFICA(*a);
    ASSERT_NE(g, nullptr);
    TGraph& graph = *g->graph();
    EXPECT_EQ(graph.cTitle, "Total de votos");
    EXPECT_EQ(graph.cSubTit, "Elecciones");
    EXPECT_EQ(graph.cTitX, "Votos");
    EXPECT_EQ(graph.cTitY, "Partidos");
    ASSERT_EQ(graph.aSTemp.size(), 2u);
    EXPECT_EQ(graph.aSTemp[0].name, "Votos");
    EXPECT_EQ(graph.aSTemp[1].name, "Representantes");
    ASSERT_EQ(graph.aYTemp.size(), 35u);
    EXPECT_EQ(graph.aYTemp.front(), "PSOE");
    EXPECT_EQ(graph.aYTemp.back(), "UM");
    std::vector<double> votes(35, 0);
    votes[0] = 120;
    votes[34] = 7;
    EXPECT_EQ(graph.aDTemp[0], votes);
    EXPECT_EQ(graph.aDTemp[1], std::vector<double>(35, 0));  // no seats calculated yet

    // Later captures do not reach an open graph; seats calculated show in the next one.
    putVotes(1, 500);
    GuiHarness harness;
    harness.onNextModal([](WindowView& v) { v.key(Key::Escape); });  // " Tabla de reparto"
    a->votos_calculaRep();
    EXPECT_EQ(graph.aDTemp[0][0], 120);
    verTGraph* next = VOTOS_GRAFICA(*a);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->graph()->aDTemp[0][0], 500);
    double seats = 0;
    for (double s : next->graph()->aDTemp[1]) seats += s;
    EXPECT_EQ(seats, kEscanos);

    verTGraph::cierraTodo();
    abcMasterCierraTodo();
    DBCLOSEALL();
    oConfig.reset();
}

}  // namespace
