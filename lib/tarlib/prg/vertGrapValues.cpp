// The settings dialog's series and value editing, on the working copies of the chart's
// data: adding, renaming, recolouring and deleting series, and the value list's rows
// (periods) with their in-place editing.
#include <algorithm>
#include <cstdio>
#include <numeric>

#include "ComboBox.h"
#include "CommonDialogs.h"
#include "Dialog.h"
#include "Get.h"
#include "MsgBox.h"
#include "cAbreBro.h"
#include "getMask.h"
#include "vertGrap.h"
#include "vertGrapDetail.h"

using vertgrap::padTo;
using vertgrap::trim;

namespace {

constexpr int kInsert = 45, kDelete = 46, kEnter = 13;
constexpr size_t kNameWidth = 25, kPeriodWidth = 10;
constexpr const char* kCaution = "Precaución";

size_t categories(const GraphWork& w) {
    size_t n = w.labels.size();
    for (const auto& v : w.values) n = std::max(n, v.size());
    return n;
}

// Labels for every category: the ones missing are their numbers.
void completeLabels(GraphWork& w) {
    for (size_t i = w.labels.size(), n = categories(w); i < n; ++i) w.labels.push_back(std::to_string(i + 1));
}

std::string numberLabel(size_t n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%4zu", n);
    return buf;
}

// The list shows the rows: its array is made to hold one line per row.
void showRows(tCAbreBrow& list, const std::vector<GraphValueRow>& rows) {
    if (!list.aArray()) list.setArray(Value(Array{}), true);
    Array& lines = *list.aArray();
    lines.clear();
    for (const GraphValueRow& r : rows) lines.push_back(Value(Array{Value(r.label), Value(vertgrap::moneyText(r.value))}));
    list.nAt = std::clamp<long>(list.nAt, 1, std::max<long>(1, long(lines.size())));
}

size_t currentRow(const tCAbreBrow& list) {
    return size_t(std::max<long>(list.nAt, 1) - 1);
}

void toColumn(tCAbreBrow& list, int col) {
    list.GoToCol(col);
    list.nColAct = col;
}

}  // namespace

namespace vertgrap {

std::string moneyText(double n) {
    static const GetPicture picture = GetPicture::parse("9,999,999.99");
    return formatNumber(n, picture);
}

TGet* templateField(TDialog& dialog, int id) {
    return dynamic_cast<TGet*>(dialog.control(id));
}

TGet* templateField(TDialog& dialog, int id, const Value& value) {
    Value* v = dialog.templateValue(id);
    TGet* get = templateField(dialog, id);
    if (!v || !get) return nullptr;
    *v = value;
    get->refresh();
    return get;
}

bool acceptFields(TDialog& dialog) {
    std::vector<TGet*> fields;
    for (const auto& c : dialog.controls())
        if (auto* get = dynamic_cast<TGet*>(c.get())) fields.push_back(get);
    for (TGet* get : fields)
        if (!get->lValid()) {
            get->setFocus();
            return false;
        }
    for (TGet* get : fields) get->assign();
    return true;
}

void enableAll(const std::vector<TControl*>& controls, bool on) {
    for (TControl* c : controls)
        if (c) c->enable(on);
}

}  // namespace vertgrap

Color SELCOLORS(TButton& button, Color colour) {
    Color chosen = chooseColor(colour, &button.parent()).value_or(colour);
    button.setColors(button.textColor(), chosen);
    return chosen;
}

bool DELSERIE(TComboBox& box, std::string& name, GraphWork& w) {
    if (w.names.size() <= 1) {
        MsgAlert("No puede borrar la única serie del gráfico.", kCaution);
        return false;
    }
    size_t n = size_t(std::clamp(box.selected(), 1, int(w.names.size())));
    w.names.erase(w.names.begin() + long(n - 1));
    if (n <= w.series.size()) w.series.erase(w.series.begin() + long(n - 1));
    if (n <= w.values.size()) w.values.erase(w.values.begin() + long(n - 1));
    box.setItems(w.names);
    n = std::min(n, w.names.size());
    box.select(int(n));
    name = w.names[n - 1];
    return true;
}

bool verTGraph::getName(tCAbreBrow& list, TComboBox& box, std::string& name, bool isNew, GraphWork& w) {
    const int serie = box.selected();
    if (!isNew && (serie < 1 || size_t(serie) > w.series.size())) return false;
    name = isNew ? std::string() : w.series[size_t(serie - 1)].name;
    Color colour = isNew ? Color(128) : w.series[size_t(serie - 1)].color;

    DialogOptions options;
    options.title = isNew ? "Nueva serie" : "Cambio de atributos";
    options.parent = &list.parent();
    options.templateName = "G_Serie";
    TDialog dlg(std::move(options));
    TGet* field = vertgrap::templateField(dlg, 101, Value(padTo(name, kNameWidth)));
    if (field) field->bValid = [](TGet& g) { return !trim(g.value().text()).empty(); };
    if (auto* button = dynamic_cast<TButton*>(dlg.control(102))) {
        button->setColors(colors::black, colour);
        button->setAction([button, &colour] { colour = SELCOLORS(*button, colour); });
    }
    if (auto* accept = dynamic_cast<TButton*>(dlg.control(110)))
        accept->setAction([&dlg] {
            if (vertgrap::acceptFields(dlg)) dlg.end(110);
        });
    const bool accepted = dlg.activate() == 110 && field;
    if (accepted) {
        name = text::rtrim(dlg.templateValue(101)->text());
        if (isNew) {
            w.series.push_back(GraphSerie{name, colour});
            w.values.push_back(std::vector<double>(categories(w), 0.0));
            w.names.push_back(name);
            box.setItems(w.names);
            box.select(int(w.names.size()));
            getValues(list, box, w);
        } else {
            w.series[size_t(serie - 1)].name = name;
            w.series[size_t(serie - 1)].color = colour;
            w.names[size_t(serie - 1)] = name;
            box.setItems(w.names);
            box.select(serie);
        }
    }
    list.setFocus();
    return accepted;
}

void verTGraph::getValues(tCAbreBrow& list, TComboBox& box, GraphWork& w) {
    aValues.clear();
    const int serie = box.selected();
    if (serie >= 1 && size_t(serie) <= w.values.size()) {
        const std::vector<double>& values = w.values[size_t(serie - 1)];
        for (size_t i = 0; i < values.size(); ++i)
            aValues.push_back(GraphValueRow{
                w.labels.empty() ? numberLabel(i + 1) : (i < w.labels.size() ? w.labels[i] : "") + "     ", values[i],
                false});
    }
    showRows(list, aValues);
    list.goTop();
    sumValues(list);
}

bool verTGraph::valnKey(int key, tCAbreBrow& list, int serie, const std::vector<TControl*>& buttons, GraphWork& w) {
    switch (key) {
        case kInsert: newPeriod(list, serie, buttons, w); return true;
        case kDelete: delPeriod(list, serie, w); return true;
        case kEnter: editValue(list, serie, w); return true;
        default: return false;
    }
}

void verTGraph::editValue(tCAbreBrow& list, int serie, GraphWork& w) {
    const size_t r = currentRow(list);
    if (r >= aValues.size() || serie < 1 || size_t(serie) > w.values.size()) return;
    if (list.nColAct == 1) {
        Value label(aValues[r].label);
        if (list.lEditCol(1, label, EditColOptions{.cPicture = "@X"})) {
            aValues[r].label = label.text();
            if (!aValues[r].isNew) {
                completeLabels(w);
                if (r < w.labels.size()) w.labels[r] = trim(label.text());
            }
            showRows(list, aValues);
        }
        toColumn(list, 2);
    }
    Value value(aValues[r].value);
    if (list.lEditCol(2, value, EditColOptions{.cPicture = "@ZE 9999,999.99"})) {
        aValues[r].value = value.num();
        std::vector<double>& values = w.values[size_t(serie - 1)];
        if (!aValues[r].isNew && r < values.size()) values[r] = value.num();
        aValues[r].isNew = false;
    } else if (aValues[r].isNew) {
        aValues.erase(aValues.begin() + long(r));
    }
    showRows(list, aValues);
    sumValues(list);
}

void verTGraph::newPeriod(tCAbreBrow& list, int serie, const std::vector<TControl*>& buttons, GraphWork& w) {
    if (serie < 1 || size_t(serie) > w.values.size()) return;
    vertgrap::enableAll(buttons, false);
    const size_t before = aValues.size();
    aValues.push_back(GraphValueRow{std::string(kPeriodWidth, ' '), 0, true});
    showRows(list, aValues);
    list.goBottom();
    toColumn(list, 1);
    editValue(list, serie, w);
    if (aValues.size() > before) {
        completeLabels(w);
        const size_t n = categories(w);
        w.labels.push_back(trim(aValues.back().label));
        for (auto& values : w.values) values.resize(n + 1, 0.0);
        w.values[size_t(serie - 1)][n] = aValues.back().value;
    }
    vertgrap::enableAll(buttons, true);
}

void verTGraph::delPeriod(tCAbreBrow& list, int serie, GraphWork& w) {
    (void)serie;  // a period goes from every series
    if (aValues.size() <= 1) {
        MsgAlert("No puede borrar el único periodo de la serie.", kCaution);
        return;
    }
    const size_t r = currentRow(list);
    if (r >= aValues.size()) return;
    if (r < w.labels.size()) w.labels.erase(w.labels.begin() + long(r));
    for (auto& values : w.values)
        if (r < values.size()) values.erase(values.begin() + long(r));
    aValues.erase(aValues.begin() + long(r));
    const bool wasLast = r >= aValues.size();
    showRows(list, aValues);
    if (!wasLast) list.goUp();
    sumValues(list);
}

void verTGraph::chgPeriod(tCAbreBrow& list, int serie, const std::vector<TControl*>& buttons, GraphWork& w) {
    const size_t r = currentRow(list);
    if (r >= aValues.size() || serie < 1 || size_t(serie) > w.values.size()) return;
    vertgrap::enableAll(buttons, false);
    Value label(padTo(text::rtrim(aValues[r].label), kPeriodWidth));
    if (list.lEditCol(1, label, EditColOptions{.cPicture = "@X"})) {
        aValues[r].label = text::rtrim(label.text());
        completeLabels(w);
        if (r < w.labels.size()) w.labels[r] = aValues[r].label;
    }
    std::vector<double>& values = w.values[size_t(serie - 1)];
    if (r < values.size()) values[r] = aValues[r].value;
    vertgrap::enableAll(buttons, true);
    showRows(list, aValues);
    list.Refresh(false);
}

void verTGraph::sumValues(tCAbreBrow& list) {
    nTotal = std::accumulate(aValues.begin(), aValues.end(), 0.0,
                             [](double s, const GraphValueRow& r) { return s + r.value; });
    list.Refresh(false);
}
