// The graph window: its building, its button bar and view boxes, and keeping the chart,
// the item box and the buttons consistent.
#include "vertGrap.h"

#include <algorithm>
#include <span>

#include "Bar.h"
#include "BtnBmp.h"
#include "ComboBox.h"
#include "Mdi.h"
#include "Resources.h"
#include "System.h"
#include "Text.h"
#include "TopWindow.h"
#include "btnBmp_abc.h"
#include "embeddedResources.h"
#include "main.h"

namespace {

std::vector<std::unique_ptr<verTGraph>>& openGraphs() {
    static std::vector<std::unique_ptr<verTGraph>> list;
    return list;
}
// Graphs whose window has closed: freed at the next New, outside the window's own events.
std::vector<std::unique_ptr<verTGraph>>& retiredGraphs() {
    static std::vector<std::unique_ptr<verTGraph>> list;
    return list;
}

std::span<const uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// The series have a single category when the longest value list has one value.
bool singleCategory(const TGraph& graph) {
    size_t n = graph.aYTemp.size();
    for (const auto& values : graph.aDTemp) n = std::max(n, values.size());
    return n == 1;
}

constexpr int kButtonSize = 25;
constexpr int kComboRowPixels = 4;  // row 0.25 of the bar
constexpr int kModeWidth = 70, kItemWidth = 125, kComboHeight = 21, kComboListHeight = 200;

}  // namespace

verTGraph::verTGraph() = default;

verTGraph::~verTGraph() {
    if (window_) window_->bValid = nullptr;
    if (child_) {
        child_->bValid = nullptr;
        child_->bClosed = nullptr;
    }
}

const std::vector<verTGraph*>& verTGraph::abiertos() {
    static std::vector<verTGraph*> view;
    view.clear();
    for (const auto& g : openGraphs()) view.push_back(g.get());
    return view;
}

verTGraph* verTGraph::New(VerTGraphArgs args) {
    retiredGraphs().clear();
    auto graph = std::make_unique<verTGraph>();
    verTGraph* self = graph.get();
    openGraphs().push_back(std::move(graph));
    self->build(args);
    return self;
}

void verTGraph::build(VerTGraphArgs& args) {
    nGraph = 1;
    args.names.insert(args.names.begin(), kTodasLasSeries);
    aTxtosX = args.labels;
    aSeries = args.names;
    std::string caption = args.caption.empty() ? kGraphCaption : args.caption;

    // Wide enough for 35 party captions under their bars on a common screen.
    int width = std::min(1200, std::max(screenWidth() - 60, 400));
    int height = std::min(700, std::max(screenHeight() - 100, 300));
    TMdiFrame* frame = args.ownWindow ? nullptr : TMdiFrame::appFrame();
    if (frame) {
        child_ = std::make_unique<TMdiChild>(*frame, MdiChildOptions{.title = caption, .width = width, .height = height});
        oWnd = child_.get();
    } else {
        window_ = std::make_unique<TWindow>(WindowOptions{.title = caption, .width = width, .height = height});
        oWnd = window_.get();
    }

    buildBar();

    graph_ = oWnd->add<TGraph>(GraphOptions{.rect = Rect{0, 0, double(oWnd->width()), double(oWnd->height())}});
    graph_->cTitle = args.title;
    graph_->cSubTit = args.subtitle;
    graph_->cTitX = args.titleX;
    graph_->cTitY = args.titleY;
    graph_->nType = TGraph::kBars;
    graph_->lPopUp = true;
    graph_->nClrPane = 15724527;
    for (size_t i = 0; i < args.data.size(); ++i) {
        std::string name = i + 1 < aSeries.size() ? aSeries[i + 1] : "";
        graph_->AddSerie(args.data[i], name, Color(100 + 5000 * (i + 1)));
    }
    graph_->SetYVals(args.labels);
    // The chart's own context menu changes the type too: the buttons and the item box follow.
    graph_->bRClicked = [this](TGraph& g, int, int) {
        if (g.nType == TGraph::kPie)
            verifySet(g, itemBox_, &aSeries, &itemText_);
        else
            verifySet(g);
    };
    oWnd->setClient(graph_);

    if (window_) {
        window_->bValid = [this](TWindow&) {
            closed();
            return true;
        };
        window_->activate();
    } else {
        child_->bClosed = [this](TMdiChild&) { closed(); };
        child_->activate();
    }
    viewGraph(*itemBox_, *graph_);
    verifySet(*graph_);  // a single category allows no lines from the start
}

void verTGraph::buildBar() {
    bar_ = oWnd->add<TBar>(BarOptions{.buttonWidth = kButtonSize, .buttonHeight = kButtonSize, .is3D = true});
    oWnd->dockTop(bar_);
    struct Button {
        const char* name;
        const char* toolTip;
        std::string image;  // complete BMP bytes
        bool group;
        std::function<void()> action;
    };
    auto abc = [](const char* name) { return BTNBMP_ABC(name).text(); };
    auto setType = [this](int type, bool pie) {
        return [this, type, pie] {
            graph_->nType = type;
            if (pie)
                verifySet(*graph_, itemBox_, &aSeries, &itemText_);
            else
                verifySet(*graph_);
        };
    };
    auto toggle = [this](bool TGraph::*flag) {
        return [this, flag] {
            graph_->*flag = !(graph_->*flag);
            graph_->Refresh();
        };
    };
    const std::vector<Button> buttons = {
        {"bitmap", "Bitmap", abc("grabar"), false, [this] { saveBitmap(*graph_); }},
        {"barras", "Barras", abc("gr_barras"), true, setType(TGraph::kBars, false)},
        {"lineas", "Líneas", abc("gr_lineas"), false, setType(TGraph::kLines, false)},
        {"puntos", "Puntos", abc("gr_puntos"), false, setType(TGraph::kPoints, false)},
        {"pastel", "Pastel", abc("gr_pastel"), false, setType(TGraph::kPie, true)},
        {"tresD", "Vista en 3D", BITMAPS("grbarr3d"), true, toggle(&TGraph::l3D)},
        {"rejHor", "Rejilla horizontal", BITMAPS("grxgrid"), false, toggle(&TGraph::lxGrid)},
        {"rejVer", "Rejilla vertical", BITMAPS("grygrid"), false, toggle(&TGraph::lyGrid)},
        {"letra", "Tipo de letra", abc("font"), false, [this] { CHG_FONTS(*oWnd, 23, 250, *graph_); }},
        {"imprimir", "Imprimir", abc("impresora"), true, [this] { GETPRTCOORS(*graph_); }},
        {"copiar", "Copiar", abc("copiar"), false, [this] { graph_->Copy2Clipboard(); }},
        {"prop", "Propiedades...", abc("configuracion"), false,
         [this] { chgSettings(*graph_, *itemBox_, aSeries, itemText_); }},
    };
    for (const Button& b : buttons) {
        TBtnBmp* button = bar_->addButton(BtnBmpOptions{
            .action = [run = b.action](TBtnBmp&) { run(); }, .group = b.group, .toolTip = b.toolTip});
        button->loadBitmap(1, bytesOf(b.image));
        oBtnWnd[b.name] = button;
    }
    bar_->bRClicked = [](TBar&, int, int) {};

    int modeLeft = bar_->nextLeft() + 6;
    modeBox_ = oWnd->add<TComboBox>(ComboBoxOptions{
        .rect = Rect{kComboRowPixels, double(modeLeft), kModeWidth, kComboHeight},
        .items = {"Series", "Periodos"},
        .onPick =
            [this](TComboBox&, int item) {
                nGraph = item == 2 ? 2 : 1;
                selGraph(nGraph == 1 ? aSeries : aTxtosX, *graph_, *itemBox_, itemText_);
            },
        .listHeight = kComboListHeight,
        .font = TFont()});
    itemBox_ = oWnd->add<TComboBox>(ComboBoxOptions{
        .rect = Rect{kComboRowPixels, double(modeLeft + kModeWidth + 7), kItemWidth, kComboHeight},
        .items = aSeries,
        .onPick = [this](TComboBox& box, int) { viewGraph(box, *graph_); },
        .listHeight = kComboListHeight,
        .font = TFont()});
    itemText_ = aSeries.front();
    itemBox_->enable(itemBox_->count() > 2);
}

void verTGraph::viewGraph(TComboBox& box, TGraph& graph) {
    int n = std::max(box.selected(), 1);
    itemText_ = box.text();
    if (nGraph == 2) {
        graph.SelPeriod(n);
        graph.nValues = 2;
    } else {
        graph.SelSerie(n == 1 ? TGraph::kAllSeries : n - 1);
        graph.nValues = 1;
    }
    fitItemBox(box);
    graph.Refresh();
}

void verTGraph::selGraph(const std::vector<std::string>& items, TGraph& graph, TComboBox& box, std::string& text) {
    if (!items.empty()) {
        box.setItems(items);
        box.select(1);
        text = items.front();
    }
    if (nGraph == 1) {
        graph.nValues = 1;
        if (graph.nType == TGraph::kPie && items.size() > 1) {
            // A pie shows one series: the first real one.
            box.select(2);
            text = items[1];
            graph.SelSerie(1);
        } else {
            graph.SelSerie(TGraph::kAllSeries);
        }
    } else {
        graph.nValues = 2;
        graph.SelPeriod(1);
    }
    fitItemBox(box);
    verifySet(graph);
}

void verTGraph::verifySet(TGraph& graph, TComboBox* box, const std::vector<std::string>* items, std::string* text) {
    auto button = [this](const char* name) -> TBtnBmp* {
        auto it = oBtnWnd.find(name);
        return it == oBtnWnd.end() ? nullptr : it->second;
    };
    TBtnBmp* lines = button("lineas");
    TBtnBmp* xGrid = button("rejHor");
    TBtnBmp* yGrid = button("rejVer");
    for (TBtnBmp* b : {lines, xGrid, yGrid})
        if (b) b->Enable();
    if (nGraph == 2 || singleCategory(graph)) {
        if (lines) lines->Disable();
        if (graph.nType == TGraph::kLines) graph.nType = TGraph::kPie;
    }
    if (graph.nType == TGraph::kPie) {
        for (TBtnBmp* b : {xGrid, yGrid})
            if (b) b->Disable();
        if (nGraph == 1 && box && items && std::max(box->selected(), 1) == 1) {
            box->setItems(*items);
            box->select(items->size() > 1 ? 2 : 1);
            if (text) *text = box->text();
            viewGraph(*box, graph);
        }
    }
    for (TBtnBmp* b : {lines, xGrid, yGrid})
        if (b) b->repaint();
    graph.Refresh();
}

void verTGraph::fitItemBox(TComboBox& box) const {
    // A single series has nothing to choose in the view by series.
    if (nGraph == 1 && aSeries.size() < 3)
        box.hide();
    else
        box.show();
    box.enable(box.count() > (nGraph == 1 ? 2 : 1));
}

bool verTGraph::close() {
    if (window_) return window_->end();
    if (child_) return child_->end();
    return false;
}

void verTGraph::closed() {
    if (graph_) graph_->End();
    auto& list = openGraphs();
    auto it = std::find_if(list.begin(), list.end(), [this](const auto& g) { return g.get() == this; });
    if (it == list.end()) return;
    retiredGraphs().push_back(std::move(*it));
    list.erase(it);
}

void verTGraph::cierraTodo() {
    while (!openGraphs().empty()) {
        verTGraph* g = openGraphs().back().get();
        g->close();
        // A window whose close was refused goes all the same.
        if (!openGraphs().empty() && openGraphs().back().get() == g) g->closed();
    }
    retiredGraphs().clear();
}

std::string BITMAPS(const std::string& name) {
    registerEmbeddedResources();
    std::string key = text::lower(name);
    if (key != "grbarr3d" && key != "grxgrid" && key != "grygrid") return "";
    auto bytes = resourceBytes(key);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
