// The graph window's font menu, saving the chart as a bitmap file ("Guardar como") and
// printing it into a rectangle given in centimetres ("Imprimir").
#include <array>
#include <cstdlib>

#include "BtnBmp.h"
#include "CommonDialogs.h"
#include "Dialog.h"
#include "Get.h"
#include "Menu.h"
#include "MsgBox.h"
#include "RadMenu.h"
#include "Report.h"
#include "btnBmp_abc.h"
#include "vertGrap.h"
#include "vertGrapDetail.h"

using vertgrap::padTo;
using vertgrap::trim;

namespace {

// The font menu's items, for the graph's fonts 1 to 8, and their text colours.
constexpr std::array<const char*, 8> kFontItems{"&Título     ", "&Valores    ", "&Etiquetas  ", "&Leyendas   ",
                                                "&Subtítulo  ", "&Título en X", "&Título en Y", "&Valores    "};
constexpr std::array<Color TGraph::*, 8> kTextColours{&TGraph::nClrT,  &TGraph::nClrX,  &TGraph::nClrY,
                                                      &TGraph::nClrL,  &TGraph::nClrST, &TGraph::nClrXT,
                                                      &TGraph::nClrYT, &TGraph::nClrV};

constexpr double kCmPerInch = 2.54;
constexpr size_t kFileWidth = 80;

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    std::string folder = home && *home ? home : "";
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

void CHG_FONTS(TWindowBase& window, int row, int col, TGraph& graph) {
    std::array<Color, 8> colours{};
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = graph.*kTextColours[i];
    auto menu = TMenu::popup([&](TMenu& m) {
        for (size_t i = 0; i < kFontItems.size(); ++i)
            m.add(kFontItems[i], [&, i] {
                if (auto choice = chooseFont(graph.aFont[i], colours[i], &window)) {
                    graph.aFont[i] = choice->font;
                    colours[i] = choice->color;
                }
            });
    });
    menu->activate(row, col, &window);
    for (size_t i = 0; i < colours.size(); ++i) graph.*kTextColours[i] = colours[i];
    graph.Refresh();
}

bool verTGraph::saveBitmap(TGraph& graph, const std::string& file) {
    std::string name = file;
    if (name.empty()) {
        DialogOptions options;
        options.parent = oWnd;
        options.templateName = "G_Save";
        TDialog dlg(std::move(options));
        TGet* field = vertgrap::templateField(dlg, 100, Value(padTo(homeFolder(), kFileWidth)));
        if (!field) return false;
        field->bValid = [](TGet& g) { return !trim(g.value().text()).empty(); };
        const DlgItem* lupa = dlg.templateItem(105);
        auto* find = dlg.add<TBtnBmp>(BtnBmpOptions{.rect = lupa ? lupa->rect : Rect{}, .id = 105});
        find->setBitmap(1, int(BTNBMP_ABC("lupa", &dlg).num()), true);
        find->bAction = [&dlg, field](TBtnBmp&) {
            if (auto chosen = chooseSaveFile(" Guardar gráfica", "*.bmp", trim(field->value().text()), &dlg))
                field->setValue(Value(padTo(*chosen, kFileWidth)));
        };
        // Both choices save the whole chart: a bitmap is always the chart as shown.
        int scope = 1;
        if (const DlgItem* radios = dlg.templateItem(101)) {
            const DlgItem* second = dlg.templateItem(102);
            dlg.add<TRadMenu>(RadMenuOptions{.top = radios->rect.top,
                                             .left = radios->rect.left,
                                             .width = radios->rect.width,
                                             .itemHeight = second ? second->rect.top - radios->rect.top : 12,
                                             .items = {radios->text, second ? second->text : ""},
                                             .get = [&scope] { return scope; },
                                             .set = [&scope](int n) { scope = n; },
                                             .id = 101});
        }
        if (auto* accept = dynamic_cast<TButton*>(dlg.control(110)))
            accept->setAction([&dlg] {
                if (vertgrap::acceptFields(dlg)) dlg.end(110);
            });
        if (dlg.activate() != 110) return false;
        name = trim(dlg.templateValue(100)->text());
    }
    if (!graph.Save2Bmp(name)) {
        MsgAlert("No se pudo guardar la gráfica en \"" + name + "\".\n" + graph.error());
        return false;
    }
    return true;
}

Rect printerRect(double top, double left, double width, double height, double dpi) {
    const double k = dpi / kCmPerInch;
    return Rect{top * k, left * k, width * k, height * k};
}

bool GETPRTCOORS(TGraph& graph) {
    // Rows 15 to 21.5 and columns 45 to 73.5 of the screen's character cells.
    const TFont font(FontSpec{.face = "MS Sans Serif", .height = 13});
    const double cellW = 8, cellH = 16;
    TDialog dlg(DialogOptions{.title = "Imprimir",
                              .width = int((73.5 - 45) * cellW),
                              .height = int((21.5 - 15) * cellH),
                              .units = Units::Pixels});
    std::array<Value, 4> cm{Value(2.5), Value(2.5), Value(9.5), Value(4.5)};
    const std::array<const char*, 4> captions{"Superior", "Izquierda", "Largo", "Alto"};
    std::array<TGet*, 4> fields{};
    for (size_t i = 0; i < 4; ++i) {
        const double top = 10 + double(i / 2) * 26, left = 6 + double(i % 2) * 108;
        dlg.add<TSay>(SayOptions{.rect = {top + 3, left, 60, 16}, .text = captions[i], .font = font});
        fields[i] = dlg.add<TGet>(GetOptions{.rect = {top, left + 62, 40, 20},
                                             .binding = GetBinding::to(cm[i]),
                                             .picture = "99.99",
                                             .font = font});
        // A place on the paper: never negative, and the chart has some size.
        fields[i]->bValid = [i](TGet& g) { return i < 2 ? g.value().num() >= 0 : g.value().num() > 0; };
    }
    dlg.add<TSay>(SayOptions{.rect = {70, 6, 60, 16}, .text = "(en cm)", .font = font});
    bool accepted = false;
    dlg.add<TButton>(ButtonOptions{.rect = {66, 72, 70, 24},
                                   .caption = "&Acepta",
                                   .action =
                                       [&] {
                                           if (!vertgrap::acceptFields(dlg)) return;
                                           accepted = true;
                                           dlg.end(1);
                                       },
                                   .isDefault = true,
                                   .font = font});
    dlg.add<TButton>(ButtonOptions{.rect = {66, 146, 70, 24}, .caption = "&Cancela", .action = [&] { dlg.end(2); },
                                   .font = font});
    dlg.activate();
    if (!accepted) return false;
    return PRINT(graph, cm[0].num(), cm[1].num(), cm[2].num(), cm[3].num());
}

bool PRINT(TGraph& graph, double top, double left, double width, double height) {
    if (width <= 0 || height <= 0) return false;
    TReport report(ReportOptions{.title = "Impresión de gráficos"}, [&](TPrinter& printer) {
        Rect r = printerRect(top, left, width, height, printer.dpi());
        printer.page();
        graph.Print(printer, r.top, r.left, r.width, r.height);
    });
    report.preview();
    return true;
}
