// urnalia_browse_shots FOLDER: shows the cell browse in the layouts the program uses and
// writes a PNG of each into FOLDER, for looking at them:
//   padron.png   the roll of voters in its "paterno" order with every field, cell style,
//                a frozen first column, the record counter under the grid;
//   conteo.png   the vote-count layout: party logos over captions, the first two header
//                cells merged, footers "Total" and "Representantes" merged over two columns,
//                one cell bright green;
//   report.pdf, report-page1.png, preview.png   that browse's default report as a PDF
//                file, its first page as an image, and the print preview window.
// Runs offscreen when there is no display. SECONDS_SHOWN keeps each window up that long
// (for grabbing the screen from outside, with the desktop's frame).
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "App.h"
#include "Control.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "ImageCanvas.h"
#include "Resources.h"
#include "TableLayer.h"
#include "arrayRdd.h"
#include "bmp_es.h"
#include "cAbreBro.h"
#include "datosWriter.h"
#include "dbfCdxDriver.h"
#include "Mdi.h"
#include "dAbreBro.h"
#include "mAbreBro.h"
#include "mainConfig.h"
#include "shotSupport.h"
#include "wAbreBro.h"

namespace {

double gWait = 0.2;  // seconds each window stays up before it is grabbed

bool grab(TDialog& dialog, const std::string& path) {
    bool ok = false;
    GuiHarness harness;
    harness.onNextModal([&](WindowView& view) {
        waitWithEvents(gWait);
        ok = view.grab(path);
        view.close();
    });
    dialog.bValid = nullptr;
    dialog.activate();
    return ok;
}

bool padronShot(const std::string& out, const std::string& data) {
    datos::DatosOptions options;
    options.folder = data;
    options.padronRows = 20000;
    options.keepExisting = true;
    std::vector<datos::TableSummary> summary;
    if (!datos::writeDatos(options, &summary).ok()) return false;
    tableSettings().defaultFolder = data;
    if (!DBUSEAREA(true, "DBFCDX", "padron", "PADRON", true)) return false;
    if (ORDNUMBER("paterno") == 0 && ORDCONDSET(OrderCondition{"!deleted()", [] { return Value(!DELETED()); }}))
        ORDCREATE("padron", "paterno", "paterno-(\" \"+materno)-(\" \"+nombre)");
    ORDSETFOCUS("paterno");
    DBGOTOP();

    TDialog dialog(DialogOptions{" Padrón", 640, 400, Units::Pixels});
    auto* counter = dialog.add<TSay>(SayOptions{Rect{380, 8, 300, 16}, ""});
    // No row callback and no captions: every field, under its name, as wide as it is.
    tCAbreBrow* b = tCAbreBrow::New({.nWidth = 640, .nHeight = 372, .oWnd = &dialog, .cAlias = "PADRON"});
    b->oMsgRecNo = BrowseDisplay{[counter](const std::string& s) { counter->setCaption(" Registro " + s); }};
    b->lCellStyle = true;
    b->nFreeze = 1;
    for (char c : std::string("Garc")) b->seek(std::string(1, c));
    for (int i = 0; i < 4; ++i) b->goDown();
    for (int i = 0; i < 4; ++i) b->goRight();
    return grab(dialog, out + "/padron.png");
}

bool reportShots(tCAbreBrow& b, const std::string& out) {
    TReport report = b.reportOf("Conteo de votos para Presidente");
    std::vector<Picture> pages = report.toImages();
    if (pages.empty() || !report.toPdf(out + "/report.pdf")) return false;
    ImageCanvas first(pages[0].width, pages[0].height);
    first.picture(pages[0], Rect{0, 0, double(pages[0].width), double(pages[0].height)});
    bool ok = first.savePng(out + "/report-page1.png");
    GuiHarness harness;
    harness.onNextModal([&](WindowView& view) {
        waitWithEvents(gWait + 0.5);
        ok = view.grab(out + "/preview.png") && ok;
        view.close();
    });
    b.report("Conteo de votos para Presidente");
    return ok;
}

bool conteoShot(const std::string& out) {
    const auto& partidos = PARTIDOS();
    TDialog dialog(DialogOptions{" Conteo de votos para Presidente de la nacion", 900, 420, Units::Pixels});
    BrowseRow logos{"", ""}, captions{"Casilla", "Tipo"};
    std::vector<int> widths{60, 40};
    for (const Partido& p : partidos) {
        Value handle = BITMAPSLOGOS(p.logo, &dialog);
        logos.push_back(handle);
        captions.push_back(p.siglas);
        widths.push_back(48);
    }
    Array rows;
    for (int s = 1; s <= 30; ++s) {
        Array row{Value(std::to_string(s)), Value(s % 3 ? "B1" : "C1")};
        for (size_t p = 0; p < partidos.size(); ++p) row.push_back(Value(std::to_string((s * 37 + int(p) * 53) % 400)));
        rows.push_back(Value(std::move(row)));
    }
    tCAbreBrow* b = tCAbreBrow::New({.nWidth = 900, .nHeight = 420,
                                     .source = Value(std::move(rows)),
                                     .aHeaders = {logos, captions},
                                     .aColSizes = ColSizes(widths),
                                     .oWnd = &dialog});
    b->nHeaderHeight = 36;
    b->aJustify = std::vector<Value>(captions.size(), Value(true));
    b->aJustify[0] = b->aJustify[1] = Value(false);
    b->setFooters({[](tCAbreBrow&) {
                       BrowseRow r{"Total", ""};
                       for (size_t p = 0; p < PARTIDOS().size(); ++p) r.push_back(std::to_string(6000 - p * 150));
                       return r;
                   },
                   [](tCAbreBrow&) {
                       BrowseRow r{"Representantes", ""};
                       for (size_t p = 0; p < PARTIDOS().size(); ++p) r.push_back(p < 6 ? std::to_string(6 - p) : "0");
                       return r;
                   }});
    b->lDrawFooters = true;
    b->unirHead(1, 2, 1);
    b->unirFoot(1, 2);
    b->nClrPane = ColorSpec([b](int col, const BrowseRow&) -> std::optional<Color> {
        if (b->nAt == 3 && col == 5) return RGB(76, 255, 0);
        return std::nullopt;
    });
    b->Refresh();
    return reportShots(*b, out) && grab(dialog, out + "/conteo.png");
}

// Shows a top-level window for a moment and grabs it; `during` runs while it is up.
bool grabWindow(TWindowBase&, const std::string& title, const std::string& path,
                const std::function<void(WindowView&)>& during = {}) {
    return grabShown(title, path, gWait, during);
}

// The roll in a top-level browse window: bar, index tabs, status bar with a search and the
// counter; then its "&Orden" menu open over it.
bool windowShots(const std::string& out) {
    auto dbl = [](const BrowseDblClick&) {};
    auto w = uWTbrowse::New({.nBottom = 460, .nRight = 760,
                             .source = BrowseSource([] {
                                 BrowseRow row;
                                 for (int f = 1; f <= 5; ++f) row.push_back(FIELDGET(f));
                                 return row;
                             }),
                             .aHeaders = {{"Paterno", "Materno", "Nombre", "Clave", "Sexo"}},
                             .bLDblClick = DblClickSpec(dbl), .cTitle = " Padrón de electores", .lPixel = true,
                             .lEdit = true, .lDel = Value(true),
                             .aIndexNum = Value(Array{Value("paterno"), Value("clave")}),
                             .aIndexTxt = Value(Array{Value("Paterno"), Value("Clave")}),
                             .aPrintTxt = Value("Listado"), .aColSizes = ColSizes{140, 140, 170, 170, 40},
                             .cAlias = "PADRON"});
    w->activate();
    for (char c : std::string("Garc")) w->oBrw->seek(std::string(1, c));
    bool ok = grabWindow(*w, " Padrón de electores", out + "/ventana.png");
    TMenuItem* orden = w->menu()->find("&Orden");
    if (orden && orden->submenu()) {
        GuiHarness harness;
        harness.onNextModal([&](WindowView& v) {
            waitWithEvents(gWait);
            auto window = GuiHarness::window(" Padrón de electores");
            ok = window && window->grabWithPopups(out + "/ventana-orden.png") && ok;
            v.key(Key::Escape);
        });
        Rect r = w->oBrw->pixelRect();
        orden->submenu()->activate(int(r.top), 60, w.get());
    }
    w->end();

    auto picker = uWTbrowse::New({.nBottom = 300, .nRight = 420, .source = BrowseSource([] {
                                      return BrowseRow{FIELDGET(1), FIELDGET(3)};
                                  }),
                                  .aHeaders = {{"Paterno", "Nombre"}}, .cTitle = " Elija un elector", .lPixel = true,
                                  .lYesNo = Value(true), .aColSizes = ColSizes{180, 200}, .cAlias = "PADRON"});
    picker->activate();
    ok = grabWindow(*picker, " Elija un elector", out + "/selector.png") && ok;
    picker->end();
    return ok;
}

// The allocation table in a dialog, and a catalogue in a child window of the frame.
bool dialogAndChildShots(const std::string& out) {
    Array rows;
    for (int i = 1; i <= 25; ++i) rows.push_back(Value(Array{Value(std::to_string(i)), Value(i % 3 ? "PSOE" : "PP")}));
    auto d = uDTbrowse::New({.base = {.nBottom = 24, .nRight = 40, .source = Value(std::move(rows)),
                                      .cTitle = " Tabla de reparto"}});
    d->oBrw->aHeaders = {{"Escaños", "Partido"}};
    d->oBrw->setFooters({BrowseRow{"Total", "25"}});
    d->oBrw->lDrawFooters = true;
    bool ok = false;
    GuiHarness harness;
    harness.onNextModal([&](WindowView& v) {
        waitWithEvents(gWait);
        ok = v.grab(out + "/dialogo.png");
        v.close();
    });
    d->activate();

    TMdiFrame frame(WindowOptions{" Urnalia", 900, 560});
    frame.activate();
    auto c = uMTBrowse::New({.base = {.nBottom = 300, .nRight = 520,
                                      .source = BrowseSource([] { return BrowseRow{FIELDGET(1), FIELDGET(2)}; }),
                                      .aHeaders = {{"Paterno", "Materno"}}, .oWnd = &frame,
                                      .cTitle = " Catálogo de electores", .lPixel = true,
                                      .aIndexNum = Value(Array{Value("paterno")}),
                                      .aIndexTxt = Value(Array{Value("Paterno")}), .aColSizes = ColSizes{200, 200},
                                      .cAlias = "PADRON"},
                             .nStyle = 5});
    c->activate();
    ok = grabWindow(frame, " Urnalia", out + "/hija.png") && ok;
    c->end();
    frame.end();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    ShotRun run;
    if (!startShots(argc, argv, "urnalia_browse_shots FOLDER [SECONDS_SHOWN]", run)) return 2;
    const std::string& out = run.folder;
    gWait = run.wait;
    arrayRddRegister();
    dbfCdxRegister();
    bool ok = padronShot(out, out + "/datos") && conteoShot(out) && windowShots(out) && dialogAndChildShots(out);
    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
