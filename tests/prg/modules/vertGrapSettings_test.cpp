// The graph window's settings dialog, its series and period editing, the font menu,
// saving a bitmap and printing, driven offscreen through the harness.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "App.h"
#include "BtnBmp.h"
#include "CheckBox.h"
#include "ComboBox.h"
#include "CommonDialogs.h"
#include "Dialog.h"
#include "Get.h"
#include "GuiHarness.h"
#include "Report.h"
#include "TopWindow.h"
#include "cAbreBro.h"
#include "embeddedResources.h"
#include "vertGrap.h"

namespace {

std::string shotPath(const std::string& name) {
    const char* dir = std::getenv("URNALIA_SNAPSHOT_DIR");
    return dir ? std::string(dir) + "/" + name : "";
}

// A window with a chart of two series ("Votos", "Escaños") over three parties and the
// window's item box, as the graph window has them.
struct GraphWindow {
    TWindow wnd{WindowOptions{.title = " Gráfica", .width = 500, .height = 300}};
    TGraph* graph = wnd.add<TGraph>(GraphOptions{.rect = {30, 0, 500, 270}});
    verTGraph g;
    TComboBox* box = nullptr;
    std::string text = kTodasLasSeries;

    explicit GraphWindow(int series = 2, int periods = 3) {
        const char* names[] = {"Votos", "Escaños"};
        std::vector<std::string> labels;
        for (int p = 0; p < periods; ++p) labels.push_back("P" + std::to_string(p + 1));
        g.aSeries = {kTodasLasSeries};
        for (int s = 0; s < series; ++s) {
            std::vector<double> values;
            for (int p = 0; p < periods; ++p) values.push_back(10.0 * (s + 1) + p);
            graph->AddSerie(values, names[s], Color(100 + 5000 * (s + 1)));
            g.aSeries.push_back(names[s]);
        }
        graph->SetYVals(labels);
        g.aTxtosX = labels;
        g.nGraph = 1;
        g.oWnd = &wnd;
        box = wnd.add<TComboBox>(ComboBoxOptions{.rect = {2, 2, 120, 22}, .items = g.aSeries});
    }
    void settings() { g.chgSettings(*graph, *box, g.aSeries, text); }
};

struct Snapshot {
    std::vector<Value> slots;
    int type, point;
    std::vector<GraphSerie> series, seriesShown;
    std::vector<std::vector<double>> values, valuesShown;
    std::vector<std::string> labels, labelsShown, boxItems;
    explicit Snapshot(const GraphWindow& w)
        : slots(graphSlots(*w.graph)),
          type(w.graph->nType),
          point(w.graph->nPoint),
          series(w.graph->aSTemp),
          seriesShown(w.graph->aSeries),
          values(w.graph->aDTemp),
          valuesShown(w.graph->aData),
          labels(w.graph->aYTemp),
          labelsShown(w.graph->aYVals),
          boxItems(w.box->items()) {}
    bool operator==(const Snapshot&) const = default;
};

// The settings dialog's parts, found in the dialog shown.
struct Parts {
    TDialog* dlg = nullptr;
    tCAbreBrow* list = nullptr;
    TComboBox* series = nullptr;
    explicit Parts(WindowView& v) : dlg(dynamic_cast<TDialog*>(v.window())) {
        SysRefresh();
        if (!dlg) return;
        for (const auto& c : dlg->controls())
            if (auto* b = dynamic_cast<tCAbreBrow*>(c.get())) list = b;
        series = dynamic_cast<TComboBox*>(dlg->control(310));
    }
    void click(int id) { dynamic_cast<TBtnBmp*>(dlg->control(id))->Click(); }
    void key(int vk) { list->bKeyDown(vk, 0); }
    TGet* field(int id) { return dynamic_cast<TGet*>(dlg->control(id)); }
};

constexpr int kInsert = 45, kDelete = 46;

class VertGrapSettings : public ::testing::Test {
  protected:
    void SetUp() override { registerEmbeddedResources(); }
    void TearDown() override {
        EXPECT_TRUE(harness.unexpected().empty());
        setCommonDialogsForTests({});
        setReportPreviewForTests({});
    }
    // A cell edit: types `text` (none for Escape) and ends it.
    void cellEdit(const std::string& text, bool accept = true) {
        harness.onNextModal([text, accept](WindowView& v) {
            SysRefresh();
            if (!text.empty()) v.type(text);
            v.key(accept ? Key::Enter : Key::Escape);
        });
    }
    void alert(const std::string& text) {
        harness.onNextModal([text](WindowView& v) {
            EXPECT_EQ(v.title(), "Precaución");
            auto labels = v.labels();
            EXPECT_NE(std::find(labels.begin(), labels.end(), text), labels.end()) << text;
            v.key(Key::Enter);
        });
    }
    GuiHarness harness;
};

TEST_F(VertGrapSettings, SlotsMirrorTheChartAndComeBackTrimmed) {
    GraphWindow w;
    TGraph& g = *w.graph;
    g.l3D = true, g.lViewVal = true, g.lyGrid = false, g.nBarD = 22, g.nXRanges = 7, g.cPicture = "9,999";
    g.cTitle = "Elecciones", g.cTitY = "Votos", g.aSTitle[2] = false, g.lcTitle = false;
    g.nClrBack = 255, g.nClrGrid = 65280, g.nBarSep = 3, g.nClrPane = 16711680;
    std::vector<Value> s = graphSlots(g);
    ASSERT_EQ(s.size(), 26u);
    const std::pair<int, Value> expected[] = {
        {1, Value(true)},       {2, Value(true)},        {6, Value(true)},     {8, Value(false)},
        {9, Value(false)},      {10, Value(22.0)},       {11, Value(7.0)},     {12, Value("     9,999")},
        {13, Value("Elecciones" + std::string(40, ' '))}, {14, Value(std::string(50, ' '))},
        {16, Value("Votos" + std::string(45, ' '))},      {19, Value(false)},   {20, Value(true)},
        {21, Value(false)},     {22, Value(255.0)},      {23, Value(65280.0)}, {24, Value(3.0)},
        {25, Value(16711680.0)}};
    for (const auto& [slot, value] : expected) EXPECT_EQ(s[size_t(slot)], value) << "slot " << slot;

    GraphWindow other;
    setGraphSlots(*other.graph, s);
    EXPECT_EQ(graphSlots(*other.graph), s);
    EXPECT_EQ(other.graph->cPicture, "9,999");
    EXPECT_EQ(other.graph->cTitle, "Elecciones");
}

TEST_F(VertGrapSettings, AcceptWritesTheSlotsTypeAndDataBack) {
    GraphWindow w;
    Snapshot before(w);
    harness.onNextModal([](WindowView& v) {  // unchanged: every slot comes back as it was
        EXPECT_EQ(v.title(), "Propiedades");
        if (auto path = shotPath("vertGrap_settings.png"); !path.empty()) v.grab(path);
        EXPECT_TRUE(v.press(1));
    });
    w.settings();
    EXPECT_EQ(Snapshot(w), before);

    harness.onNextModal([](WindowView& v) {
        Parts p(v);
        ASSERT_TRUE(p.dlg);
        EXPECT_TRUE(v.press(101));  // 3D on
        EXPECT_TRUE(v.press(129));  // no centred title
        EXPECT_TRUE(v.pickItem("Pastel"));
        p.field(121)->setFocus();
        v.type("Resultados");
        EXPECT_TRUE(v.press(1));
    });
    w.settings();
    EXPECT_TRUE(w.graph->l3D);
    EXPECT_FALSE(w.graph->lcTitle);
    EXPECT_EQ(w.graph->nType, TGraph::kPie);
    EXPECT_EQ(w.graph->cTitle, "Resultados");
}

TEST_F(VertGrapSettings, CancelLeavesTheChartAsItWasAfterSeriesAndPeriodEdits) {
    GraphWindow w;
    Snapshot before(w);
    harness.onNextModal([](WindowView& v) {
        Parts p(v);
        ASSERT_TRUE(p.list && p.series);
        p.click(302);  // the first series goes
        EXPECT_EQ(p.series->items(), std::vector<std::string>{"Escaños"});
        p.key(kInsert);  // a period added with its label and value
        p.key(kDelete);  // and the first period deleted
        EXPECT_TRUE(v.press(101));
        EXPECT_TRUE(v.pickItem("Cruz"));
        EXPECT_TRUE(v.press(2));
    });
    cellEdit("P9");
    cellEdit("7");
    w.settings();
    EXPECT_EQ(Snapshot(w), before);
    EXPECT_EQ(w.g.aSeries, (std::vector<std::string>{kTodasLasSeries, "Votos", "Escaños"}));
}

TEST_F(VertGrapSettings, TheOnlySeriesOrPeriodIsNotDeleted) {
    GraphWindow w(1, 1);
    Snapshot before(w);
    harness.onNextModal([](WindowView& v) {
        Parts p(v);
        p.click(302);
        p.key(kDelete);
        EXPECT_EQ(p.list->aArray()->size(), 1u);
        EXPECT_EQ(p.series->count(), 1);
        EXPECT_TRUE(v.press(1));
    });
    alert("No puede borrar la única serie del gráfico.");
    alert("No puede borrar el único periodo de la serie.");
    w.settings();
    EXPECT_EQ(Snapshot(w).series, before.series);
    EXPECT_EQ(Snapshot(w).values, before.values);
    EXPECT_EQ(Snapshot(w).labels, before.labels);
}

TEST_F(VertGrapSettings, PeriodsAddedAndDeletedReachEverySeries) {
    struct Case {
        std::string name;
        std::vector<std::string> edits;  // label, value; "" cancels the value
        bool deleteFirst;
        std::vector<std::string> labels;
        std::vector<std::vector<double>> values;
    };
    const Case cases[] = {
        {"added", {"P4", "8"}, false, {"P1", "P2", "P3", "P4"}, {{10, 11, 12, 8}, {20, 21, 22, 0}}},
        {"value cancelled", {"P4", ""}, false, {"P1", "P2", "P3"}, {{10, 11, 12}, {20, 21, 22}}},
        {"first deleted", {}, true, {"P2", "P3"}, {{11, 12}, {21, 22}}},
    };
    for (const Case& c : cases) {
        GraphWindow w;
        harness.onNextModal([&](WindowView& v) {
            Parts p(v);
            if (!c.edits.empty()) {
                p.key(kInsert);
                EXPECT_EQ(p.list->aArray()->size(), c.labels.size()) << c.name;
            }
            if (c.deleteFirst) p.key(kDelete);
            EXPECT_EQ(w.g.nTotal, c.values[0][0] + c.values[0][1] + (c.values[0].size() > 2 ? c.values[0][2] : 0) +
                                      (c.values[0].size() > 3 ? c.values[0][3] : 0))
                << c.name;
            EXPECT_TRUE(v.press(1));
        });
        if (!c.edits.empty()) {
            cellEdit(c.edits[0]);
            cellEdit(c.edits[1], !c.edits[1].empty());
        }
        w.settings();
        EXPECT_EQ(w.graph->aYTemp, c.labels) << c.name;
        EXPECT_EQ(w.graph->aDTemp, c.values) << c.name;
        EXPECT_EQ(w.graph->aYVals, c.labels) << c.name;
        EXPECT_EQ(w.g.aTxtosX, c.labels) << c.name;
    }
}

TEST_F(VertGrapSettings, NumberFieldsRefuseValuesOutsideTheirRange) {
    struct Case {
        int id;
        std::string typed;
        bool accepted;
        int TGraph::*member;
        int value;
    };
    const Case cases[] = {
        {116, "0", false, &TGraph::nBarD, 15},    {116, "51", false, &TGraph::nBarD, 15},
        {116, "50", true, &TGraph::nBarD, 50},    {116, "1", true, &TGraph::nBarD, 1},
        {115, "6", false, &TGraph::nBarSep, 1},   {115, "0", true, &TGraph::nBarSep, 0},
        {115, "5", true, &TGraph::nBarSep, 5},    {117, "11", false, &TGraph::nXRanges, 4},
        {117, "10", true, &TGraph::nXRanges, 10}, {117, "0", false, &TGraph::nXRanges, 4},
    };
    for (const Case& c : cases) {
        GraphWindow w;
        harness.onNextModal([&](WindowView& v) {
            Parts p(v);
            p.field(c.id)->setFocus();
            v.type(c.typed);
            v.press(1);
            EXPECT_EQ(p.dlg->active(), !c.accepted) << c.id << " " << c.typed;
            if (p.dlg->active()) {
                EXPECT_TRUE(p.field(c.id)->hasFocus());
                v.press(2);
            }
        });
        w.settings();
        EXPECT_EQ(w.graph->*c.member, c.value) << c.id << " " << c.typed;
    }
}

TEST_F(VertGrapSettings, TheWindowsSeriesItemsFollowTheSeriesAccepted) {
    struct Case {
        std::string name;
        int view;
        bool add;  // add "Nulos"; otherwise delete the first series
        std::vector<std::string> items, boxItems;
    };
    const Case cases[] = {
        {"one left", 1, false, {"Escaños"}, {"Escaños"}},
        {"three", 1, true, {kTodasLasSeries, "Votos", "Escaños", "Nulos"},
         {kTodasLasSeries, "Votos", "Escaños", "Nulos"}},
        {"by period", 2, false, {"Escaños"}, {"P1", "P2", "P3"}},
    };
    for (const Case& c : cases) {
        GraphWindow w;
        w.g.nGraph = c.view;
        harness.onNextModal([&](WindowView& v) {
            Parts p(v);
            p.click(c.add ? 301 : 302);
            if (c.add) {
                EXPECT_EQ(p.series->text(), "Nulos");
            }
            EXPECT_TRUE(v.press(1));
        });
        if (c.add)
            harness.onNextModal([](WindowView& v) {
                EXPECT_EQ(v.title(), "Nueva serie");
                if (auto path = shotPath("vertGrap_serie.png"); !path.empty()) v.grab(path);
                v.press(110);  // an empty name is refused
                EXPECT_TRUE(v.visible());
                v.type("Nulos");
                v.press(110);
            });
        w.settings();
        EXPECT_EQ(w.g.aSeries, c.items) << c.name;
        EXPECT_EQ(w.box->items(), c.boxItems) << c.name;
        EXPECT_EQ(w.box->selected(), 1) << c.name;
        EXPECT_EQ(w.text, c.boxItems[0]) << c.name;
        if (c.add) {
            EXPECT_EQ(w.graph->aSTemp.back(), (GraphSerie{"Nulos", 128}));
            EXPECT_EQ(w.graph->aDTemp.back(), (std::vector<double>{0, 0, 0}));
        }
    }
}

TEST_F(VertGrapSettings, PrintTurnsCentimetresIntoPrinterPixels) {
    struct Case {
        double top, left, width, height, dpi;
        Rect pixels;
    };
    const Case cases[] = {
        {2.54, 5.08, 12.7, 2.54, 100, {100, 200, 500, 100}},
        {2.5, 2.5, 9.5, 4.5, 120, {2.5 / 2.54 * 120, 2.5 / 2.54 * 120, 9.5 / 2.54 * 120, 4.5 / 2.54 * 120}},
        {0, 0, 1, 1, 254, {0, 0, 100, 100}},
    };
    for (const Case& c : cases) {
        Rect r = printerRect(c.top, c.left, c.width, c.height, c.dpi);
        EXPECT_NEAR(r.top, c.pixels.top, 1e-9);
        EXPECT_NEAR(r.left, c.pixels.left, 1e-9);
        EXPECT_NEAR(r.width, c.pixels.width, 1e-9);
        EXPECT_NEAR(r.height, c.pixels.height, 1e-9);
    }

    GraphWindow w;
    std::string title;
    int pages = 0;
    setReportPreviewForTests([&](TReport& report, const std::string&) {
        title = report.options().title;
        pages = int(report.toImages().size());
    });
    harness.onNextModal([](WindowView& v) {
        EXPECT_EQ(v.title(), "Imprimir");
        for (const char* label : {"Superior", "Izquierda", "Largo", "Alto", "(en cm)"}) {
            auto labels = v.labels();
            EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
        }
        if (auto path = shotPath("vertGrap_print.png"); !path.empty()) v.grab(path);
        EXPECT_TRUE(v.press("&Acepta"));
    });
    EXPECT_TRUE(GETPRTCOORS(*w.graph));
    EXPECT_EQ(title, "Impresión de gráficos");
    EXPECT_EQ(pages, 1);

    title.clear();
    harness.onNextModal([](WindowView& v) { EXPECT_TRUE(v.press("&Cancela")); });
    EXPECT_FALSE(GETPRTCOORS(*w.graph));
    EXPECT_EQ(title, "");
}

TEST_F(VertGrapSettings, SaveBitmapAsksTheNameAndReportsAFileItCannotWrite) {
    GraphWindow w;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vertGrapSave";
    fs::create_directories(dir);
    const std::string chosen = (dir / "grafica.bmp").string();
    std::string started;
    setCommonDialogsForTests({.saveFile = [&](const std::string& title, const std::string& filter,
                                              const std::string& start) -> std::optional<std::string> {
        EXPECT_EQ(title, " Guardar gráfica");
        EXPECT_EQ(filter, "*.bmp");
        started = start;
        return chosen;
    }});
    harness.onNextModal([&](WindowView& v) {
        EXPECT_EQ(v.title(), "Guardar como");
        auto* d = dynamic_cast<TDialog*>(v.window());
        ASSERT_TRUE(d);
        EXPECT_EQ(d->templateValue(100)->text().size(), 80u);
        dynamic_cast<TBtnBmp*>(d->control(105))->Click();
        v.press(110);
    });
    fs::remove(chosen);
    EXPECT_TRUE(w.g.saveBitmap(*w.graph));
    EXPECT_TRUE(fs::exists(chosen));
    const char* home = std::getenv("HOME");
    EXPECT_TRUE(started.starts_with(home ? home : "/")) << started;

    const std::string bad = (dir / "no" / "such" / "grafica.bmp").string();
    harness.onNextModal([&](WindowView& v) {
        auto labels = v.labels();
        bool named = false;
        for (const auto& l : labels) named = named || l.find(bad) != std::string::npos;
        EXPECT_TRUE(named);
        v.key(Key::Enter);
    });
    EXPECT_FALSE(w.g.saveBitmap(*w.graph, bad));
    EXPECT_FALSE(fs::exists(bad));

    harness.onNextModal([](WindowView& v) { v.press(120); });
    EXPECT_FALSE(w.g.saveBitmap(*w.graph));
    fs::remove_all(dir);
}

TEST_F(VertGrapSettings, FontMenuChangesAFontAndStoresTheColours) {
    GraphWindow w;
    FontSpec big{.face = "Arial", .height = 20, .bold = true};
    setCommonDialogsForTests({.font = [&](const FontSpec& f, Color c) -> std::optional<FontChoice> {
        EXPECT_EQ(f, w.graph->aFont[TGraph::fLegends]);
        EXPECT_EQ(c, 0u);
        return FontChoice{big, 255};
    }});
    harness.onNextModal([](WindowView& v) {
        EXPECT_EQ(v.menuItems(), (std::vector<std::string>{"&Título     ", "&Valores    ", "&Etiquetas  ",
                                                           "&Leyendas   ", "&Subtítulo  ", "&Título en X",
                                                           "&Título en Y", "&Valores    "}));
        EXPECT_TRUE(v.choose("&Leyendas   "));
    });
    CHG_FONTS(w.wnd, 23, 250, *w.graph);
    EXPECT_EQ(w.graph->aFont[TGraph::fLegends], big);
    EXPECT_EQ(w.graph->nClrL, 255u);
    EXPECT_EQ(w.graph->nClrT, 0u);
}

}  // namespace
