// The chart control: its geometry on a recording canvas (a character is half the font
// height wide, a line is the font height high), its scale, bars, legend and pie, the data
// it is given (empty, odd, huge), and its outputs: a BMP file read back by our decoder and
// by an independent reader, a printer page, its context menu.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <unistd.h>

#include "Graph.h"
#include "GuiHarness.h"
#include "Printer.h"
#include "TopWindow.h"
#include "bmpCodec.h"

namespace {

namespace fs = std::filesystem;

// The rectangle and colour of a recorded "fillRect L,T WxH #rrggbb".
struct Filled {
    Rect r;
    std::string color;
};
std::vector<Filled> fills(const RecordingCanvas& c) {
    std::vector<Filled> out;
    for (const auto& op : c.opsOf("fillRect")) {
        Filled f;
        char color[16] = {};
        std::sscanf(op.c_str(), "fillRect %lf,%lf %lfx%lf %15s", &f.r.left, &f.r.top, &f.r.width, &f.r.height, color);
        f.color = color;
        out.push_back(f);
    }
    return out;
}
std::vector<Rect> fillsOf(const RecordingCanvas& c, Color color) {
    std::vector<Rect> out;
    for (const auto& f : fills(c))
        if (f.color == colorText(color)) out.push_back(f.r);
    return out;
}
// The bars of a colour: its fills but the legend's 7 x 8 swatch.
std::vector<Rect> barsOf(const RecordingCanvas& c, Color color) {
    std::vector<Rect> out;
    for (Rect r : fillsOf(c, color))
        if (r.width != 7 || r.height != 8) out.push_back(r);
    return out;
}

class Graphs : public ::testing::Test {
  protected:
    TWindow window{WindowOptions{.title = "g", .width = 400, .height = 300}};
    TGraph* g = window.add<TGraph>(GraphOptions{.rect = {0, 0, 400, 300}});
    RecordingCanvas rec;

    void votes(std::vector<double> a, std::vector<double> b, std::vector<std::string> labels) {
        g->AddSerie(std::move(a), "Votos", 5100);
        if (!b.empty()) g->AddSerie(std::move(b), "Otros", 10100);
        g->SetYVals(std::move(labels));
    }
    void titles() {
        g->cTitle = "Total de votos", g->cSubTit = "Elecciones", g->cTitX = "Votos", g->cTitY = "Partidos";
    }
};

TEST_F(Graphs, TheChartRectangleLeavesRoomForTitlesLegendValuesAndLabels) {
    votes({1, 2, 3}, {}, {"A", "B", "C"});
    struct Case {
        bool titled, legends, threeD;
        double top, left, bottom, right, h;
    };
    // T 15, S X Y L 10; G 80; V = 10 characters of 5 pixels; nBarD 15.
    for (Case c : {Case{true, true, false, 56, 91, 263, 313, 206}, Case{false, true, false, 16, 81, 273, 313, 256},
                   Case{true, false, false, 56, 91, 263, 383, 206}, Case{true, true, true, 56, 91, 263, 313, 192}}) {
        titles();
        g->lTitle = c.titled, g->lLegends = c.legends, g->l3D = c.threeD;
        TGraph::Layout l = g->layout(rec, 400, 300);
        EXPECT_EQ((std::vector<double>{l.top, l.left, l.bottom, l.right, l.plotHeight}),
                  (std::vector<double>{c.top, c.left, c.bottom, c.right, c.h}))
            << c.titled << c.legends << c.threeD;
        EXPECT_DOUBLE_EQ(l.step, (c.right - c.left) / 4);
    }
    g->cTitle.clear(), g->cSubTit.clear();  // empty titles take no room
    EXPECT_EQ(g->layout(rec, 400, 300).top, 31);
}

TEST_F(Graphs, TheScaleRoundsUpToQuartersOfTheLeadingDigit) {
    struct Case {
        double v, rounded;
    } cases[] = {{1234, 1250}, {1800, 2000}, {37, 37.5}, {1, 1}, {0.3, 0.3}, {1e9, 1e9}, {1.26e9, 1.5e9},
                 {3e12, 3e12}, {5000, 5000}, {4999, 5000}, {25, 25}, {0, 0}, {-5, 0},
                 {std::numeric_limits<double>::infinity(), 0}, {std::nan(""), 0}};
    for (Case c : cases) EXPECT_DOUBLE_EQ(TGraph::roundScale(c.v), c.rounded) << c.v;
}

TEST_F(Graphs, NegativeValuesPutTheZeroLineInsideThePlot) {
    votes({1234, -800}, {}, {"A", "B"});
    TGraph::Layout l = g->layout(rec, 400, 300);
    EXPECT_EQ(l.scaleTop, 1250);
    EXPECT_EQ(l.scaleBottom, 800);
    EXPECT_DOUBLE_EQ(l.pixelsPerUnit, l.plotHeight / 2050);
    EXPECT_DOUBLE_EQ(l.zeroRow, l.bottom - 800 * l.pixelsPerUnit);
    g->draw(rec, 400, 300);
    auto bars = barsOf(rec, 5100);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_NEAR(bars[0].bottom(), l.zeroRow, 1e-3);  // up from the zero line (6 digits recorded)
    EXPECT_NEAR(bars[1].top, l.zeroRow, 1e-3);       // and down from it
    EXPECT_NEAR(bars[1].height, 800 * l.pixelsPerUnit, 1e-3);
}

TEST_F(Graphs, BarsStandSideBySideInTheirCategory) {
    struct Case {
        int categories;
        std::vector<double> lefts;  // of the first series' bars, then the second's first
        double width;
    };
    // Step 55.5 for three categories: bars (55.5 - 1) / 2 - 1 wide from 91 + 1 - 1 + 27.25 + 1.
    // One category: step 111 doubled, bars 2 * 111 / 3 - 1 wide, from 91 + 1 - 1 + 36.5.
    for (Case c : {Case{3, {119.25, 174.75, 230.25, 146.5}, 26.25}, Case{1, {127.5, 201.5}, 73}}) {
        g->End();
        rec.clear();
        std::vector<double> v(c.categories, 100);
        votes(v, v, std::vector<std::string>(c.categories, "X"));
        titles();
        g->draw(rec, 400, 300);
        std::vector<double> lefts;
        for (Rect r : barsOf(rec, 5100)) {
            lefts.push_back(r.left);
            EXPECT_DOUBLE_EQ(r.width, c.width);
        }
        lefts.push_back(barsOf(rec, 10100).at(0).left);
        EXPECT_EQ(lefts, c.lefts) << c.categories;
    }
}

TEST_F(Graphs, TheLegendBoxListsEachSeriesWithItsSwatch) {
    votes({1, 2}, {3, 4}, {"A", "B"});
    titles();
    g->draw(rec, 400, 300);
    // Box from (55, 321) to the right edge 313 + 80, 15 pixels per series.
    auto white = fillsOf(rec, colors::white);
    EXPECT_NE(std::find(white.begin(), white.end(), Rect{55, 321, 72, 30}), white.end());
    EXPECT_EQ(fillsOf(rec, 5100).back(), (Rect{59, 323, 7, 8}));
    EXPECT_EQ(fillsOf(rec, 10100).back(), (Rect{74, 323, 7, 8}));
    auto texts = rec.opsOf("text");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "text 333,58 58x10 16 Votos"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "text 333,73 58x10 16 Otros"), texts.end());
}

TEST_F(Graphs, LongTextsGetTheRoomTheyNeedBeforeBeingCut) {
    struct Case {
        std::vector<double> values;
        std::string name;
        std::vector<std::string> labels;
        std::vector<std::string> whole;  // texts written in full
    } cases[] = {
        // The legend holds a name 70 pixels wide after its 20-pixel indent.
        {{1, 2, 3}, "Representantes", {"A", "B", "C"}, {"Representantes"}},
        // A wide label between narrow ones borrows their room; none is left out.
        {{1, 2, 3}, "S", {"AB", "ARALAR-UNIDAS", "CD"}, {"AB", "ARALAR-UNIDAS", "CD"}},
        // Axis values larger than the mask widen it, and their column.
        {{3e9, 1}, "S", {"A", "B"}, {"3,000,000,000.00", "1,500,000,000.00"}},
    };
    for (const Case& c : cases) {
        g->End();
        rec.clear();
        g->AddSerie(c.values, c.name, 255);
        g->SetYVals(c.labels);
        g->draw(rec, 400, 300);
        std::vector<std::string> written;  // "text L,T WxH align TEXT"
        for (const auto& op : rec.opsOf("text")) {
            size_t at = 0;
            for (int field = 0; field < 4; ++field) at = op.find(' ', at) + 1;
            written.push_back(op.substr(at));
        }
        for (const auto& t : c.whole) EXPECT_NE(std::find(written.begin(), written.end(), t), written.end()) << t;
    }
    // Labels that one row would cut take turns on two rows, every one of them whole.
    g->End();
    rec.clear();
    std::vector<std::string> labels;
    for (int i = 0; i < 12; ++i) labels.push_back("PARTY" + std::string(1, char('A' + i)));
    g->AddSerie(std::vector<double>(12, 1), "S", 255);
    g->SetYVals(labels);
    EXPECT_EQ(g->layout(rec, 400, 300).labelRows, 2);
    g->draw(rec, 400, 300);
    int whole = 0;
    for (const auto& op : rec.opsOf("text"))
        for (const auto& l : labels) whole += op.size() >= l.size() && op.compare(op.size() - l.size(), l.size(), l) == 0;
    EXPECT_EQ(whole, 12);
    EXPECT_EQ(g->layout(rec, 2000, 300).labelRows, 1);
}

TEST_F(Graphs, PieSlicesGoClockwiseFromTheStartInThePaletteOrSeriesColours) {
    struct Case {
        std::vector<double> first, second;
        int mode;
        double start;
        std::vector<std::string> pies;  // brush and slice
    };
    Case cases[] = {
        {{1, 1, 2}, {5, 5, 5}, 1, 0, {"#445a9b 0 90", "#80403c 90 90", "#32804b 180 180"}},
        {{1, 0, 3}, {5, 5, 5}, 1, 30, {"#445a9b 30 90", "#32804b 120 270"}},  // zero: no slice
        {{-1, 3, 0}, {1, 5, 5}, 2, 0, {"#ec1300 0 180", "#742700 180 180"}},  // series at category 1
        {{0, 0, 0}, {0, 0, 0}, 1, 0, {}},
    };
    for (const Case& c : cases) {
        g->End();
        rec.clear();
        votes(c.first, c.second, {"A", "B", "C"});
        g->nType = TGraph::kPie, g->nValues = c.mode, g->nPieSt = c.start;
        g->draw(rec, 400, 300);
        std::vector<std::string> pies;
        std::string brush;
        for (const auto& op : rec.ops()) {
            if (op.rfind("brush ", 0) == 0) brush = op.substr(6);
            if (op.rfind("pie ", 0) == 0) pies.push_back(brush + op.substr(op.find(' ', op.find(' ', 4) + 1)));
        }
        EXPECT_EQ(pies, c.pies) << c.start;
    }
    // Each slice wider than 3 degrees writes its share.
    g->End(), rec.clear();
    votes({1, 1, 2}, {}, {"A", "B", "C"});
    g->nType = TGraph::kPie, g->nValues = 1, g->nPieSt = 0;
    g->draw(rec, 400, 300);
    std::string all;
    for (const auto& t : rec.opsOf("text")) all += t + "\n";
    EXPECT_NE(all.find(" 25%\n"), std::string::npos) << all;
    EXPECT_NE(all.find(" 50%\n"), std::string::npos);
}

TEST_F(Graphs, SeriesAndPeriodsChooseWhatIsShown) {
    votes({1, 2, 3}, {4, 5}, {"A", "B", "C"});
    g->SelSerie(2);
    EXPECT_EQ(g->aData, (std::vector<std::vector<double>>{{4, 5}}));
    EXPECT_EQ(g->aSeries.at(0).name, "Otros");
    g->SelPeriod(3);  // the shorter series has no third value: 0
    EXPECT_EQ(g->aData, (std::vector<std::vector<double>>{{3}, {0}}));
    EXPECT_EQ(g->aYVals, (std::vector<std::string>{"C"}));
    g->SelPeriod(9);  // outside: nothing changes
    EXPECT_EQ(g->aYVals, (std::vector<std::string>{"C"}));
    g->SelSerie(TGraph::kAllSeries);
    EXPECT_EQ(g->aData.size(), 2u);
    EXPECT_EQ(g->aYVals.size(), 3u);
}

// Every drawn rectangle has an area, every text is finite and no value shows as stars.
void expectSaneDrawing(const RecordingCanvas& rec, const std::string& what) {
    for (const auto& op : rec.ops()) {
        SCOPED_TRACE(what + ": " + op);
        if (op.rfind("fillRect ", 0) == 0 || op.rfind("rectangle ", 0) == 0 || op.rfind("text ", 0) == 0 ||
            op.rfind("pie ", 0) == 0) {
            double l, t, w, h;
            ASSERT_EQ(std::sscanf(op.c_str() + op.find(' '), " %lf,%lf %lfx%lf", &l, &t, &w, &h), 4);
            EXPECT_GT(w, 0);
            EXPECT_GT(h, 0);
        }
        for (const char* bad : {"nan", "inf", "***"}) EXPECT_EQ(op.find(bad), std::string::npos);
    }
}

TEST_F(Graphs, OddDataAndSizesDrawNothingWrong) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::string name;
        std::function<void(TGraph&)> setup;
    } cases[] = {
        {"no series", [](TGraph&) {}},
        {"no categories", [](TGraph& t) { t.AddSerie({}, "S", 255); }},
        {"all zero", [](TGraph& t) { t.AddSerie({0, 0, 0}, "S", 255), t.SetYVals({"a", "b", "c"}); }},
        {"negative", [](TGraph& t) { t.AddSerie({-5, -3000}, "S", 255), t.SetYVals({"a", "b"}); }},
        {"one category", [](TGraph& t) { t.AddSerie({7}, "S", 255), t.SetYVals({"a"}); }},
        {"huge", [](TGraph& t) { t.AddSerie({1e9, 4.5e12, 1e300, -1e308}, "S", 255); }},
        {"nan and inf", [inf](TGraph& t) { t.AddSerie({std::nan(""), inf, -inf, 5}, "S", 255); }},
        {"long labels",
         [](TGraph& t) {
             t.AddSerie({1, 2}, std::string(200, 'N'), 255);
             t.SetYVals({std::string(300, 'x'), "y"});
             t.cTitle = std::string(500, 'T');
             t.cTitX = std::string(500, 'X');
         }},
        {"different lengths", [](TGraph& t) { t.AddSerie({1}, "a", 255), t.AddSerie({1, 2, 3, 4}, "b", 65280); }},
    };
    for (const Case& c : cases)
        for (int type : {TGraph::kBars, TGraph::kLines, TGraph::kPoints, TGraph::kPie, TGraph::kMixed})
            for (bool deep : {false, true})
                for (auto [w, h] : {std::pair{400.0, 300.0}, {10.0, 10.0}, {0.0, 0.0}, {120.0, 60.0}}) {
                    g->End();
                    g->cTitle.clear(), g->cTitX.clear();
                    c.setup(*g);
                    g->nType = type, g->l3D = deep, g->lViewVal = true;
                    rec.clear();
                    g->draw(rec, w, h);
                    expectSaneDrawing(rec, c.name + " type " + std::to_string(type));
                    if (w == 400 && type != TGraph::kPie && !g->aData.empty() && g->aData[0].size() > 1) {
                        TGraph::Layout l = g->layout(rec, w, h);
                        EXPECT_GE(l.zeroRow, l.top) << c.name;  // the zero line in the plot
                        EXPECT_LE(l.zeroRow, l.bottom) << c.name;
                    }
                }
    // Real drawing of the worst of them.
    cases[5].setup(*g);
    Picture p = g->render(300, 200);
    EXPECT_EQ(p.width, 300);
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, f)) out += buf;
        pclose(f);
    }
    return out;
}

TEST_F(Graphs, SaveToBmpWritesTheChartReadableByOthersOrNothingAtAll) {
    fs::path dir = fs::temp_directory_path() / ("graph_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    votes({100, 50}, {}, {"A", "B"});
    g->lxGrid = g->lyGrid = false;
    std::string file = (dir / "grafica.bmp").string();
    ASSERT_TRUE(g->Save2Bmp(file)) << g->error();
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    Picture p;
    ASSERT_TRUE(decodeBmp(bytes, p).ok());
    EXPECT_EQ(p.width, 400);
    EXPECT_EQ(p.height, 300);
    TGraph::Layout l = g->layout(rec, 400, 300);
    RecordingCanvas bars;
    g->draw(bars, 400, 300);
    Rect bar = barsOf(bars, 5100).at(0);
    int bx = int(bar.left + bar.width / 2), by = int(bar.bottom() - 3);
    EXPECT_EQ(p.at(5, 5), g->nClrPane);
    EXPECT_EQ(p.at(bx, by), Color(5100));
    EXPECT_EQ(p.at(int(l.right) - 5, int(l.top) + 5), g->nClrBack);
    // An independent reader (the system's Python with its imaging library) sees the same.
    std::string seen = run("/usr/bin/python3 -c \"from PIL import Image; im=Image.open('" + file +
                           "'); print(im.size, im.mode, im.getpixel((5, 5)), im.getpixel((" + std::to_string(bx) +
                           ", " + std::to_string(by) + ")))\" 2>&1");
    EXPECT_EQ(seen, "(400, 300) RGB (239, 239, 239) (236, 19, 0)\n");

    // A missing folder, and a folder in the way: false, a reason, nothing left behind.
    std::string missing = (dir / "no" / "grafica.bmp").string();
    EXPECT_FALSE(g->Save2Bmp(missing));
    EXPECT_NE(g->error().find(missing), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "no"));
    fs::create_directories(dir / "carpeta" / "dentro");
    EXPECT_FALSE(g->Save2Bmp((dir / "carpeta").string()));
    EXPECT_TRUE(fs::exists(dir / "carpeta" / "dentro"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);  // grafica.bmp and carpeta
    fs::remove_all(dir);
}

TEST_F(Graphs, PrintingScalesDistancesAndFontsToThePrinter) {
    votes({100, 50}, {}, {"A", "B"});
    titles();
    auto printer = TPrinter::recording(PaperOptions{.dpi = 176});  // 2 across, 1.955... down
    g->Print(*printer, 100, 50, 800, 600);
    printer->end();
    const RecordingCanvas& page = printer->recorded().at(0);
    EXPECT_EQ(fills(page).at(0).r, (Rect{100, 50, 800, 600}));  // the pane fills the rectangle
    RecordingCanvas screen;
    TGraph::Layout l = g->layout(screen, 800, 600, 176.0 / 88, 176.0 / 90);
    EXPECT_DOUBLE_EQ(l.top, 176.0 / 90 * (1 + 30) + 29 + 20);  // fonts 15 and 10 at 1.955: 29, 20
    EXPECT_DOUBLE_EQ(l.left, 2 * (1 + 15 + 15) + 20 + std::max(60.0, 10 * 10.0));
    std::string ops;
    for (const auto& op : page.opsOf("font")) ops += op + "\n";
    EXPECT_NE(ops.find("font Arial 0x29 bold"), std::string::npos) << ops;
}

TEST_F(Graphs, TheContextMenuSwitchesTheChartAndTheRightClickFollows) {
    GuiHarness harness;
    std::vector<std::string> items;
    harness.onNextModal([&](WindowView& menu) {
        items = menu.menuItems();
        menu.choose("Pastel");
    });
    g->popupMenu(10, 10);
    EXPECT_EQ(g->nType, TGraph::kPie);
    EXPECT_EQ(items, (std::vector<std::string>{"&Barras", "&Líneas", "&Puntos", "P&astel", "-", "Vista en &3D",
                                                "Rejilla &horizontal", "Rejilla &vertical", "Le&yenda", "Valor&es",
                                                "-", "&Copiar"}));
    EXPECT_TRUE(harness.unexpected().empty());
}

}  // namespace
