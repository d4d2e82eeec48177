// The graph window's settings dialog "Propiedades": the 25-slot record loaded from the
// chart, the dialog's controls by id, and what accepting it writes back to the chart and
// to the window's item box.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

#include "Bitmap.h"
#include "BtnBmp.h"
#include "CheckBox.h"
#include "ComboBox.h"
#include "Dialog.h"
#include "Get.h"
#include "Resources.h"
#include "btnBmp_abc.h"
#include "cAbreBro.h"
#include "getMask.h"
#include "vertGrap.h"
#include "vertGrapDetail.h"

using vertgrap::padTo;
using vertgrap::trim;

namespace {

// Slots 1 to 9, the flags under "Ver" (check boxes 101 to 109).
constexpr std::array<bool TGraph::*, 9> kViewFlags{&TGraph::l3D,      &TGraph::lTitle,   &TGraph::lxVal,
                                                   &TGraph::lyVal,    &TGraph::lLegends, &TGraph::lViewVal,
                                                   &TGraph::lxGrid,   &TGraph::lyGrid,   &TGraph::lBorders};
// Slots 13 to 16, the four titles (fields 121 to 124).
constexpr std::array<std::string TGraph::*, 4> kTitles{&TGraph::cTitle, &TGraph::cSubTit, &TGraph::cTitX,
                                                       &TGraph::cTitY};
constexpr size_t kTitleWidth = 50, kMaskWidth = 10;

// The check boxes and the slots they hold.
struct CheckSlot {
    int id, slot;
};
constexpr CheckSlot kChecks[] = {{101, 1}, {102, 2}, {103, 3}, {104, 4},  {105, 5},  {106, 6},  {107, 7},
                                 {108, 8}, {109, 9}, {125, 17}, {126, 18}, {127, 19}, {128, 20}, {129, 21}};

// The entry fields, their slots and, for numbers, the range they take.
struct FieldSlot {
    int id, slot;
    bool number;
    int low, high;
};
constexpr FieldSlot kFields[] = {{121, 13, false, 0, 0}, {122, 14, false, 0, 0}, {123, 15, false, 0, 0},
                                 {124, 16, false, 0, 0}, {115, 24, true, 0, 5},  {116, 10, true, 1, 50},
                                 {117, 11, true, 1, 10}, {118, 12, false, 0, 0}};

// The colour buttons "tapiz", "fondo" and "rejilla".
constexpr CheckSlot kColours[] = {{131, 25}, {132, 22}, {133, 23}};

const std::vector<std::string> kChartTypes{"Barras", "Líneas", "Puntos", "Pastel", "Mezcla"};
const std::vector<std::string> kPointMarks{"Punto", "Cruz", "Rombo"};


// The dialog's place `id` in its own units, the height cut to `height` when given.
Rect placeOf(const TDialog& d, int id, double height = 0) {
    const DlgItem* item = d.templateItem(id);
    Rect r = item ? item->rect : Rect{};
    if (height > 0) r.height = height;
    return r;
}

// The largest rectangle of the picture's proportions centred in `place`.
Rect fitted(Rect place, const Picture& p) {
    if (p.empty() || place.width <= 0 || place.height <= 0) return place;
    double k = std::min(place.width / p.width, place.height / p.height);
    double w = p.width * k, h = p.height * k;
    return Rect{place.top + (place.height - h) / 2, place.left + (place.width - w) / 2, w, h};
}

}  // namespace

std::vector<Value> graphSlots(const TGraph& g) {
    std::vector<Value> s(26);
    for (size_t i = 0; i < kViewFlags.size(); ++i) s[1 + i] = Value(g.*kViewFlags[i]);
    s[10] = Value(double(g.nBarD));
    s[11] = Value(double(g.nXRanges));
    s[12] = Value(text::padLeft(g.cPicture, kMaskWidth));
    for (size_t i = 0; i < kTitles.size(); ++i) s[13 + i] = Value(padTo(g.*kTitles[i], kTitleWidth));
    for (size_t i = 0; i < 4; ++i) s[17 + i] = Value(g.aSTitle[i]);
    s[21] = Value(g.lcTitle);
    s[22] = Value(double(g.nClrBack));
    s[23] = Value(double(g.nClrGrid));
    s[24] = Value(double(g.nBarSep));
    s[25] = Value(double(g.nClrPane));
    return s;
}

void setGraphSlots(TGraph& g, const std::vector<Value>& s) {
    if (s.size() < 26) return;
    for (size_t i = 0; i < kViewFlags.size(); ++i) g.*kViewFlags[i] = s[1 + i].logical();
    g.nBarD = int(s[10].num());
    g.nXRanges = int(s[11].num());
    g.cPicture = trim(s[12].text());
    for (size_t i = 0; i < kTitles.size(); ++i) g.*kTitles[i] = trim(s[13 + i].text());
    for (size_t i = 0; i < 4; ++i) g.aSTitle[i] = s[17 + i].logical();
    g.lcTitle = s[21].logical();
    g.nClrBack = Color(s[22].num());
    g.nClrGrid = Color(s[23].num());
    g.nBarSep = int(s[24].num());
    g.nClrPane = Color(s[25].num());
}

GraphWork graphWork(const TGraph& g) {
    GraphWork w{g.aSTemp, g.aDTemp, g.aYTemp, AGETSERIES(g)};
    return w;
}

std::vector<std::string> AGETSERIES(const TGraph& g) {
    std::vector<std::string> names;
    for (const GraphSerie& s : g.aSTemp) names.push_back(s.name);
    return names;
}

void verTGraph::chgSettings(TGraph& graph, TComboBox& box, std::vector<std::string>& items, std::string& text) {
    std::vector<Value> slots = graphSlots(graph);
    GraphWork work = graphWork(graph);
    const int point = graph.nPoint;

    DialogOptions options;
    options.parent = oWnd;
    options.templateName = "config_tGraph";
    TDialog dlg(std::move(options));

    for (const FieldSlot& f : kFields) {
        TGet* get = vertgrap::templateField(dlg, f.id, slots[size_t(f.slot)]);
        if (get && f.number)
            get->bValid = [low = f.low, high = f.high](TGet& g) {
                double n = g.value().num();
                return n >= low && n <= high;
            };
    }
    std::vector<std::pair<TCheckBox*, int>> checks;
    for (const CheckSlot& c : kChecks) {
        const DlgItem* item = dlg.templateItem(c.id);
        auto* box = dlg.add<TCheckBox>(CheckBoxOptions{.rect = placeOf(dlg, c.id),
                                                       .caption = item ? item->text : "",
                                                       .checked = slots[size_t(c.slot)].logical(),
                                                       .id = c.id});
        checks.emplace_back(box, c.slot);
    }
    auto* type = dlg.add<TComboBox>(ComboBoxOptions{.rect = placeOf(dlg, 111, 12),
                                                    .items = kChartTypes,
                                                    .selected = graph.nType,
                                                    .listHeight = int(placeOf(dlg, 111).height * 2),
                                                    .id = 111});
    auto* points = dlg.add<TComboBox>(ComboBoxOptions{.rect = placeOf(dlg, 113, 12),
                                                      .items = kPointMarks,
                                                      .images = {resourcePicture("grPoint"), resourcePicture("grCross"), resourcePicture("grShape")},
                                                      .selected = graph.nPoint,
                                                      .listHeight = int(placeOf(dlg, 113).height * 2),
                                                      .id = 113});
    points->onPick = [&graph](TComboBox&, int n) {
        graph.nPoint = n;
        graph.Refresh();
    };
    for (const CheckSlot& c : kColours)
        if (auto* button = dynamic_cast<TButton*>(dlg.control(c.id))) {
            Value& slot = slots[size_t(c.slot)];
            button->setColors(colors::black, Color(slot.num()));
            button->setAction([button, &slot] { slot = Value(double(SELCOLORS(*button, Color(slot.num())))); });
        }
    dlg.add<TBitmap>(BitmapOptions{.rect = fitted(placeOf(dlg, 120), resourcePicture("bmp_tarvelon")),
                                   .resource = "bmp_tarvelon",
                                   .stretch = true,
                                   .id = 120});

    // The series and their values.
    auto* series = dlg.add<TComboBox>(ComboBoxOptions{.rect = placeOf(dlg, 310, 12),
                                                      .items = work.names,
                                                      .listHeight = int(placeOf(dlg, 310).height * 2),
                                                      .id = 310});
    CAbreBrowReDefine r;
    r.nId = 320;
    // Shaped by a blank row of two cells; getValues puts the rows in.
    r.source = BrowseSource(Value(Array{Value(Array{Value(""), Value("")})}));
    r.oDlg = &dlg;
    r.aHeaders = {{Value("Periodo"), Value("Valor")}};
    r.aColSizes = ColSizes{100, 60};
    tCAbreBrow* list = tCAbreBrow::ReDefine(std::move(r));
    list->nClrForeHead = ColorSpec(Color(8388608));
    list->aJustify = {Value(false), Value(true)};
    list->aFJustify = list->aJustify;
    list->lCellStyle = list->lAutoEdit = list->lAutoSkip = true;
    list->nColAct = 2;
    list->setFooters({FooterRow(std::function<BrowseRow(tCAbreBrow&)>(
        [this](tCAbreBrow&) { return BrowseRow{Value("Total "), Value(vertgrap::moneyText(nTotal))}; }))});
    list->lDrawFooters = true;

    auto imageButton = [&](int id, const char* image, const char* tip, std::function<void()> action) {
        auto* b = dlg.add<TBtnBmp>(
            BtnBmpOptions{.rect = placeOf(dlg, id), .toolTip = tip, .id = id});
        b->setBitmap(1, int(BTNBMP_ABC(image, &dlg).num()), true);
        b->bAction = [action = std::move(action)](TBtnBmp&) { action(); };
        return static_cast<TControl*>(b);
    };
    std::vector<TControl*> periods;
    auto serie = [series] { return series->selected(); };
    std::string name;
    imageButton(301, "nuevo", "Agregar serie", [&] { getName(*list, *series, name, true, work); });
    imageButton(303, "editar", "Cambiar propiedades", [&] { getName(*list, *series, name, false, work); });
    imageButton(302, "borrar", "Borrar serie", [&] {
        if (DELSERIE(*series, name, work)) getValues(*list, *series, work);
    });
    periods.push_back(imageButton(311, "nuevo", "Agregar periodo", [&] { newPeriod(*list, serie(), periods, work); }));
    periods.push_back(imageButton(313, "editar", "Cambiar valores", [&] { chgPeriod(*list, serie(), periods, work); }));
    periods.push_back(imageButton(312, "borrar", "Borrar periodo", [&] { delPeriod(*list, serie(), work); }));
    series->onPick = [&](TComboBox&, int) { getValues(*list, *series, work); };
    list->bKeyDown = [&](int key, int) { return valnKey(key, *list, serie(), periods, work); };
    list->bEdit = [&](int, const Value&, bool) {
        editValue(*list, serie(), work);
        return Value(false);
    };

    if (auto* accept = dynamic_cast<TButton*>(dlg.control(1)))
        accept->setAction([&dlg] {
            if (vertgrap::acceptFields(dlg)) dlg.end(1);
        });
    getValues(*list, *series, work);
    const int result = dlg.activate();

    if (result != 1) {
        graph.nPoint = point;
        graph.Refresh();
        return;
    }
    for (const FieldSlot& f : kFields)
        if (Value* v = dlg.templateValue(f.id)) slots[size_t(f.slot)] = *v;
    for (const auto& [check, slot] : checks) slots[size_t(slot)] = Value(check->checked());
    setGraphSlots(graph, slots);
    if (type->selected() >= 1) graph.nType = type->selected();
    graph.aSeries = graph.aSTemp = work.series;
    graph.aData = graph.aDTemp = work.values;
    graph.aYVals = graph.aYTemp = work.labels;

    items = work.names;
    if (items.size() > 1) items.insert(items.begin(), kTodasLasSeries);
    aTxtosX = work.labels;
    box.setItems(nGraph == 2 ? aTxtosX : items);
    box.select(1);
    text = box.text();
    // The chart shows what the item box now says, and the buttons follow the new data.
    viewGraph(box, graph);
    verifySet(graph, &box, &items, &text);
}
