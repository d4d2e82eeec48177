// Pictures of the boxes for a person to look at: with URNALIA_SNAPSHOT_DIR set, writes
// the about box, a message box with a list, a drill-down box and the busy box there as
// PNG files. Without it the test is skipped.
#include <gtest/gtest.h>

#include <cstdlib>

#include "App.h"
#include "GuiHarness.h"
#include "MsgBox.h"
#include "aMensaje.h"
#include "acercaDe.h"
#include "dtot.h"

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

    harness.onNextModal([&](WindowView& v) { EXPECT_TRUE(v.grab(folder + "/busy.png")); });
    MsgRun("Registro 2 de VOTOS", "Intentado bloquear registro", [] {
        SysRefresh();
        return Value();
    });
}

}  // namespace
