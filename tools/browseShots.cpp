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
#include "mainConfig.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: urnalia_browse_shots FOLDER [SECONDS_SHOWN]\n");
        return 2;
    }
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string out = argv[1];
    if (argc > 2) gWait = std::atof(argv[2]);
    std::filesystem::create_directories(out);
    appEnsure();
    arrayRddRegister();
    dbfCdxRegister();
    bool ok = padronShot(out, out + "/datos") && conteoShot(out);
    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
