// Pictures of the boxes for a person to look at: with URNALIA_SNAPSHOT_DIR set, writes
// the about box, a message box with a list, a drill-down box, an alert with a long title,
// the busy box and a dialog of entry fields (the second one focused, mid-typing, the last
// two negative) and a button bar with the built-in images there as PNG files. Without it the
// tests are skipped.
#include <gtest/gtest.h>

#include <cstdlib>

#include "App.h"
#include "GuiHarness.h"
#include "MsgBox.h"
#include "aMensaje.h"
#include "acercaDe.h"
#include "btnBmp.h"
#include "btnBmp_abc.h"
#include "TopWindow.h"
#include "dtot.h"
#include "tGetFer.h"

namespace {

TEST(Snapshots, WritesTheBoxesAsPng) {
    const char* dir = std::getenv("URNALIA_SNAPSHOT_DIR");
    if (!dir) GTEST_SKIP() << "set URNALIA_SNAPSHOT_DIR to write the pictures";
    std::string folder = dir;
    GuiHarness harness;
    TestClock clock(1321615800.0, 0.001);

    auto splash = ACERCADE(
        {.program = Value("Urnalia"),
         .line1 = Value("España"),
         .line2 = Value("2011"),
         .line3 = Value("Cómputo electoral por casilla"),
         .line4 = Value(DTOT(Value(Date::fromYmd(2011, 11, 18)), Value("dd de mmmm de yyyy "))),
         .year = Value("2011"),
         .showMail = Value(true),
         .init = [](acercaDeClass& box) {
             for (TSay* l : {box.oLinea1, box.oLinea2, box.oLinea3, box.oLinea4})
                 l->setColors(8323105);
         }});
    auto about = GuiHarness::window("");
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->grab(folder + "/about.png"));
    splash->bValid = nullptr;
    splash->end();

    Value partidos =
        Value(Array{Value("Partido Acción Ñandú"), Value(1234), Value(Date::fromYmd(2011, 11, 18)),
                    Value(Array{Value("Sí"), Value("No"), Value(Array{Value(1)})}), Value(true)});
    harness.onNextModal([&](WindowView& v) {
        EXPECT_TRUE(v.grab(folder + "/mensaje.png"));
        v.doubleClickLabel("{ ... (3) }");
        if (auto drill = GuiHarness::window("4")) {
            EXPECT_TRUE(drill->grab(folder + "/drilldown.png"));
        }
        v.press("Cancelar");
    });
    MENSAJE({.value = partidos,
             .buttons = Array{Value("Reintentar"), Value("Cancelar")},
             .title = Value(" Atención")});

    harness.onNextModal([&](WindowView& v) {
        EXPECT_TRUE(v.grab(folder + "/alert-long-title.png"));
        v.press("&Aceptar");
    });
    MsgAlert("No se pudo bloquear el registro", " Error al bloquear el registro 1234 de la tabla de votos de la sección 0567");

    harness.onNextModal([&](WindowView& v) { EXPECT_TRUE(v.grab(folder + "/busy.png")); });
    MsgRun("Registro 2 de VOTOS", "Intentado bloquear registro", [] {
        SysRefresh();
        return Value();
    });
}

TEST(Snapshots, WritesEntryFieldsAsPng) {
    const char* dir = std::getenv("URNALIA_SNAPSHOT_DIR");
    if (!dir) GTEST_SKIP() << "set URNALIA_SNAPSHOT_DIR to write the pictures";
    GuiHarness harness;
    TDialog dlg{DialogOptions{.title = " Casilla", .width = 300, .height = 190}};
    Value casilla(12), tipo("B1"), votos(1234567.5), saldo(-123456.78), ajuste(-123.45);
    struct Row {
        const char* label;
        Value* value;
        const char* picture;
    };
    std::vector<tGetFer*> fields;
    double top = 6;
    for (Row r : {Row{"Casilla", &casilla, "9999"}, Row{"Tipo", &tipo, "!9"}, Row{"Votos", &votos, "@ZE 9999,999.99"},
                  Row{"Saldo", &saldo, "9,999,999.99"}, Row{"Ajuste", &ajuste, "@ZE 9999,999.99"}}) {
        dlg.add<TSay>(SayOptions{.rect = {top + 1, 8, 50, 10}, .text = r.label});
        fields.push_back(dlg.add<tGetFer>(
            GetOptions{.rect = {top, 60, 80, 11}, .binding = GetBinding::to(*r.value), .picture = r.picture}));
        top += 16;
    }
    harness.onNextModal([&](WindowView& v) {
        SysRefresh();
        fields[1]->setFocus();
        SysRefresh();
        v.key(Key::Right);
        SysRefresh();
        EXPECT_TRUE(v.grab(std::string(dir) + "/entryfields.png"));
        dlg.end(0);
    });
    dlg.activate();
}

}  // namespace

namespace {

// A window with a button bar holding the seventeen built-in images, in groups, the last
// two disabled; below it the same bar's buttons as a free button, pressed, on the window.
TEST(Snapshots, ButtonBarWithTheBuiltInImages) {
    const char* dir = std::getenv("URNALIA_SNAPSHOT_DIR");
    if (!dir) GTEST_SKIP() << "set URNALIA_SNAPSHOT_DIR to write the pictures";
    TWindow w(WindowOptions{.title = " Botones", .width = 640, .height = 120});
    TBar* bar = w.add<TBar>();
    std::vector<_tBtnBmp*> buttons;
    int i = 0;
    for (const std::string& name : btnBmpAbcNames()) {
        buttons.push_back(_tBtnBmp::newBar({.group = i == 4 || i == 7 || i == 12,
                                            .bar = bar,
                                            .mnuTxt = "&" + name,
                                            .image1 = BTNBMP_ABC(name).text()}));
        ++i;
    }
    buttons[15]->disable();
    buttons[16]->disable();
    auto* free = _tBtnBmp::New({.rect = {50, 10, 30, 30}, .window = &w, .mnuTxt = "&Ver",
                                .image1 = BTNBMP_ABC("ver").text()});
    free->setPressed(true);
    w.activate();
    SysRefresh();
    auto view = GuiHarness::window(" Botones");
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->grab(std::string(dir) + "/bar17.png"));
}

}  // namespace
