// The browse window as a modal dialog (in code and over a template) and as a child window of
// the multiple-document frame.
#include "dAbreBro.h"

#include <gtest/gtest.h>

#include "GuiHarness.h"
#include "Menu.h"
#include "MsgBar.h"
#include "Resources.h"
#include "Tabs.h"
#include "TableLayer.h"
#include "mAbreBro.h"
#include "testSupport.h"

namespace {

Value seatRows() {
    Array rows;
    for (int i = 1; i <= 25; ++i) rows.push_back(Value(Array{Value(std::to_string(i)), Value("PSOE")}));
    return Value(std::move(rows));
}

class DialogBrowse : public DiskTest {
  protected:
    void TearDown() override {
        EXPECT_TRUE(harness.unexpected().empty());
        DiskTest::TearDown();
    }
    GuiHarness harness;
};

// The seat-allocation table: defaults everywhere, the caller's headers and footers in place
// before the first paint, the default bar with its one close button and the menu "&Cerrar".
TEST_F(DialogBrowse, TheAllocationTableShowsTheDefaultBarMenuAndCounterAndAcceptsOnCerrar) {
    auto d = uDTbrowse::New({.base = {.nBottom = 30, .nRight = 120, .source = seatRows(),
                                      .cTitle = " Tabla de reparto"}});
    ASSERT_TRUE(d);
    d->oBrw->aHeaders = {{"Escaños", "Partido"}};
    d->oBrw->setFooters({BrowseRow{"Total", "25"}});
    d->oBrw->lDrawFooters = true;
    EXPECT_TRUE(d->oBrw->lMatriz);
    EXPECT_FALSE(d->oBrw->bSeek);
    std::vector<std::string> buttons, menu;
    std::string counter;
    bool tabs = true;
    harness.onNextModal([&](WindowView& v) {
        for (TBtnBmp* b : d->oBar->buttons()) buttons.push_back(static_cast<_tBtnBmp*>(b)->cMnuTxt());
        for (const auto& item : d->menu()->items()) menu.push_back(item->caption());
        counter = d->oMsgBar->items()[0]->text();
        tabs = d->oTabs != nullptr;
        d->menu()->find("&Cerrar")->trigger();
        (void)v;
    });
    EXPECT_TRUE(d->activate());
    EXPECT_EQ(buttons, std::vector<std::string>{"(&C)errar"});
    EXPECT_EQ(menu, std::vector<std::string>{"&Cerrar"});
    EXPECT_EQ(counter, "1/25");
    EXPECT_FALSE(tabs);
}

TEST_F(DialogBrowse, AnInitialIndexNotAmongTheOrdersSelectsNoneAndEscapeDoesNotAccept) {
    auto d = uDTbrowse::New({.base = {.nBottom = 20, .nRight = 60, .source = seatRows(),
                                      .aIndexNum = Value(Array{Value("uno")}), .aIndexTxt = Value(Array{Value("Uno")}),
                                      .uIndex = Value("otro")}});
    EXPECT_EQ(d->oBrw->nIndex, 0);
    harness.onNextModal([](WindowView& v) { v.key(Key::Escape); });
    EXPECT_FALSE(d->activate());
}

TEST_F(DialogBrowse, ATemplateDialogPlacesTheBrowseAndHasNoTabsWithoutTheirControl) {
    static const std::string text =
        "dialog \"Lista\" 200 120\n"
        "browse 10 4 4 192 90\n"
        "tabs   20 96 4 192 14\n";
    registerDialogResource("prueba_lista", std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    for (int tabsId : {0, 20}) {
        auto d = uDTbrowse::New({.base = {.source = seatRows(), .aIndexNum = Value(Array{Value(1)}),
                                          .aIndexTxt = Value(Array{Value("Uno")})},
                                 .cResName = "prueba_lista", .nBrwId = 10, .nTabsId = tabsId});
        ASSERT_TRUE(d->oBrw);
        Rect r = d->oBrw->pixelRect();
        EXPECT_EQ(r.width, 384);
        EXPECT_EQ(r.height, 180);
        EXPECT_EQ(d->oTabs != nullptr, tabsId != 0);
        EXPECT_EQ(d->menu(), nullptr);  // no default menu over a template
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(DialogBrowse, AChildBrowseLivesInTheFrameAndKeepsItsAliasWhenTheCloseIsRefused) {
    ASSERT_TRUE(DBCREATE("cat", {{"clave", 'C', 4, 0}}, "ARRAYRDD"));
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "cat", "CAT", true));
    DBAPPEND();
    FIELDPUT(1, Value("0001"));
    TMdiFrame frame(WindowOptions{" Urnalia", 800, 600});
    frame.activate();
    auto c = uMTBrowse::New({.base = {.nBottom = 200, .nRight = 300, .source = BrowseSource([] { return BrowseRow{FIELDGET(1)}; }),
                                      .oWnd = &frame, .cTitle = " Catálogo de Colonias", .lPixel = true, .cAlias = "CAT"},
                             .nStyle = 5});
    ASSERT_TRUE(c);
    c->activate();
    EXPECT_TRUE(c->open());
    EXPECT_EQ(frame.openChildren().size(), 1u);
    EXPECT_EQ(c->oBrw->oClase, static_cast<WBrowseCore*>(c.get()));
    c->bValid = [](TMdiChild&) { return false; };
    EXPECT_FALSE(c->end());
    EXPECT_EQ(c->oBrw->cAlias, "CAT");
    c->bValid = nullptr;
    EXPECT_TRUE(c->end());
    // Without a frame: an error, no window.
    errors.clear();
    EXPECT_FALSE(uMTBrowse::New({.base = {.source = seatRows()}}));
    EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
