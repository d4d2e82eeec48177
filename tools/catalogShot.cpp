// urnalia_catalog_shot FOLDER [SECONDS_SHOWN]: opens the ready-made catalogue of the
// maintenance controller over a memory table of colours and writes a PNG of each window
// into FOLDER, for looking at them:
//   catalogo-sdi.png    the top-level catalogue (catalogoSdi) with its bar and menu;
//   catalogo-mdi.png    the same catalogue as a child window of a frame (catalogo).
// Runs offscreen when there is no display.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "App.h"
#include "GuiHarness.h"
#include "Mdi.h"
#include "TableLayer.h"
#include "abcMaste.h"
#include "arrayRdd.h"
#include "shotSupport.h"
#include "wAbreBro.h"

namespace {

double gWait = 0.2;

// The catalogue of colours, as a top-level window or in `frame`.
class Colores : public abcMaster {
  public:
    explicit Colores(TMdiFrame* frame) {
        registraMetodo("colores",
                       [this, frame](const std::string& alias, const std::vector<Value>&) {
                           CatalogoArgs a{.alias = alias,
                                          .name = "Colores",
                                          .option = "colores",
                                          .columnWidths = {70, 220},
                                          .extras = "I",
                                          .frame = frame};
                           frame ? catalogo(a) : catalogoSdi(a);
                       });
    }
};

bool makeTable() {
    if (!DBCREATE("colores", {{"clave", 'C', 4, 0}, {"descrip", 'C', 30, 0}}, "ARRAYRDD"))
        return false;
    if (!DBUSEAREA(true, "ARRAYRDD", "colores", "HACER", false)) return false;
    const char* rows[][2] = {{"0001", "NEGRO"},  {"0002", "VERDE OLIVO"},
                             {"0003", "ROJO"},   {"0004", "AZUL MARINO"},
                             {"0005", "BLANCO"}, {"0006", "AMARILLO"}};
    for (auto& [clave, descrip] : rows) {
        if (!DBAPPEND()) return false;
        FIELDPUT(1, Value(clave));
        FIELDPUT(2, Value(descrip));
    }
    const char* tags[][3] = {{"clave", "clave", "!deleted()"},
                             {"descrip", "descrip", "!deleted()"},
                             {"deleted", "deleted()", "deleted()"}};
    for (auto& [tag, key, cond] : tags) {
        ORDCONDSET(OrderCondition{.forText = cond});
        if (!ORDCREATE("colores", tag, key)) return false;
    }
    DBCLOSEAREA();
    return true;
}

bool grab(const std::string& title, const std::string& path) {
    return grabShown(title, path, gWait);
}

}  // namespace

int main(int argc, char** argv) {
    ShotRun run;
    if (!startShots(argc, argv, "urnalia_catalog_shot FOLDER [SECONDS_SHOWN]", run)) return 2;
    const std::string& out = run.folder;
    gWait = run.wait;
    arrayRddRegister();
    bool ok = makeTable();

    auto sdi = std::make_shared<Colores>(nullptr);
    sdi->New(Tablas{TablaSpec("colores", Value(), "ARRAYRDD")});
    ok = ok && sdi->oWnd && grab(" Catálogo de Colores", out + "/catalogo-sdi.png");
    abcMasterCierraTodo();

    TMdiFrame frame(WindowOptions{" Urnalia", 760, 420});
    frame.activate();
    auto mdi = std::make_shared<Colores>(&frame);
    mdi->New(Tablas{TablaSpec("colores", Value(), "ARRAYRDD")});
    ok = ok && mdi->oWnd && grab(" Urnalia", out + "/catalogo-mdi.png");
    abcMasterCierraTodo();
    frame.end();

    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
