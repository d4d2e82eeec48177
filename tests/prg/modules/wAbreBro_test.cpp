// The browse window: its lists, default bar and menu, picker, registered buttons with their
// accelerators, the index over both drivers, closing and the reopen through a missing driver.
#include "wAbreBro.h"

#include <gtest/gtest.h>

#include "GuiHarness.h"
#include "Menu.h"
#include "MsgBar.h"
#include "Tabs.h"
#include "TableLayer.h"
#include "Text.h"
#include "tGetFer.h"
#include "testSupport.h"

namespace {

std::vector<std::string> menuTexts(const TMenu* m) {
    std::vector<std::string> out;
    if (!m) return out;
    for (const auto& item : m->items()) out.push_back(item->isSeparator() ? "-" : item->caption());
    return out;
}

std::vector<std::string> barTexts(const WBrowseCore& w) {
    std::vector<std::string> out;
    if (!w.oBar) return out;
    for (TBtnBmp* b : w.oBar->buttons())
        if (auto* own = dynamic_cast<_tBtnBmp*>(b)) out.push_back(own->cMnuTxt());
    return out;
}

Value list(std::initializer_list<Value> values) {
    return Value(Array(values));
}

class BrowseWindow : public DiskTest {
  protected:
    void TearDown() override {
        window.reset();
        DiskTest::TearDown();
    }
    // A window over an array of 5 rows, with the arguments the test sets.
    uWTbrowse& make(WTbrowseNew a) {
        if (!a.source.isArrayMode() && !a.source.line) {
            Array rows;
            for (int i = 1; i <= 5; ++i) rows.push_back(list({Value(std::to_string(i)), Value("fila")}));
            a.source = Value(std::move(rows));
        }
        a.lPixel = true;
        a.nBottom = 300;
        a.nRight = 400;
        window = uWTbrowse::New(std::move(a));
        return *window;
    }
    GuiHarness harness;
    std::unique_ptr<uWTbrowse> window;
};

TEST_F(BrowseWindow, ListsAreNormalisedAndTheInitialIndexFallsBackToTheFirst) {
    struct Case {
        Value captions, orders, messages, initial;
        std::vector<std::string> txt;
        std::vector<Value> num;
        std::vector<std::string> msg;
        int nIndex;
    };
    const Case cases[] = {
        {Value("Clave"), Value(), Value(), Value(), {"Clave"}, {Value("Clave")}, {""}, 1},
        {Value(), list({Value("clave"), Value(2)}), Value(), Value(2), {"clave", "2"}, {Value("clave"), Value(2)}, {"", ""}, 2},
        {list({list({Value("A"), Value("B")})}), list({Value(1)}), Value("solo A"), Value("nada"),
         {"A", "B"}, {Value(1), Value("B")}, {"solo A", ""}, 1},
    };
    for (const Case& c : cases) {
        uWTbrowse& w = make({.uBarra = BarraArg::none(), .aIndexMsg = c.messages, .aIndexNum = c.orders,
                             .aIndexTxt = c.captions, .uIndex = c.initial});
        EXPECT_EQ(w.aIndexTxt, c.txt);
        ASSERT_EQ(w.aIndexNum.size(), c.num.size());
        for (size_t i = 0; i < c.num.size(); ++i) EXPECT_TRUE(w.aIndexNum[i] == c.num[i]) << i;
        EXPECT_EQ(w.aIndexMsg, c.msg);
        EXPECT_EQ(w.oBrw->nIndex, c.nIndex);
    }
}

TEST_F(BrowseWindow, DefaultBarAndMenuFollowTheFlags) {
    auto dbl = [](const BrowseDblClick&) {};
    uWTbrowse& w = make({.bLDblClick = DblClickSpec(dbl), .lEdit = true, .lDel = Value(true),
                         .aIndexNum = list({Value("clave")}), .aIndexTxt = list({Value("Clave")}),
                         .aPrintTxt = Value("Listado")});
    EXPECT_EQ(barTexts(w), (std::vector<std::string>{"(&C)errar", "Consult(&a)r", "(&M)odificar", "(&N)uevo",
                                                     "(&E)liminar/recuperar", ""}));
    EXPECT_EQ(menuTexts(w.menu()), (std::vector<std::string>{"&Editar", "&Orden", "&Reportes", "&Cerrar"}));
    EXPECT_EQ(menuTexts(w.menu()->items()[0]->submenu()),
              (std::vector<std::string>{"&Consultar", "-", "&Modificar", "&Nuevo", "-", "&Eliminar/recuperar"}));

    uWTbrowse& picker = make({.lYesNo = Value(true)});
    EXPECT_EQ(barTexts(picker), (std::vector<std::string>{"(&A)ceptar", "(&C)ancelar"}));
    EXPECT_EQ(menuTexts(picker.menu()), std::vector<std::string>{"&Registro"});
    // Accepting sets lOk and closes; cancelling leaves it false.
    picker.activate();
    picker.menu()->find("&Aceptar")->trigger();
    EXPECT_TRUE(picker.oBrw->lOk);
    EXPECT_FALSE(picker.visible());

    uWTbrowse& bare = make({.uBarra = BarraArg::none(), .oMenu = MenuArg::none()});
    EXPECT_EQ(bare.oBar, nullptr);
    EXPECT_EQ(bare.menu(), nullptr);
}

TEST_F(BrowseWindow, RegisteredButtonsGiveTheirAcceleratorsAndThePopUpMenu) {
    uWTbrowse& w = make({.uBarra = BarraArg::none()});
    TBar* bar = w.add<TBar>();
    int added = 0, computed = 0;
    _tBtnBmp::newBar({.action = [&](TBtnBmp&) { ++added; }, .bar = bar, .mnuTxt = "&Agregar"});
    _tBtnBmp::newBar({.action = [&](TBtnBmp&) { ++computed; }, .bar = bar, .mnuTxt = "Calcular"});
    EXPECT_EQ(w.cMnuLetras, (std::vector<std::string>{"A", std::string(1, '\0')}));
    EXPECT_TRUE(w.oBrw->bKeyDown('A', 2));
    EXPECT_FALSE(w.oBrw->bKeyDown('C', 2));
    EXPECT_FALSE(w.oBrw->bKeyDown('A', 0));
    EXPECT_EQ(added, 1);
    EXPECT_EQ(computed, 0);
    std::vector<std::string> items;
    harness.onNextModal([&](WindowView& v) {
        items = v.menuItems();
        v.choose("Calcular");
    });
    w.showMenu(10, 10);
    EXPECT_EQ(items, (std::vector<std::string>{"&Agregar", "Calcular"}));
    EXPECT_EQ(computed, 1);
}

template <class Driver>
class BrowseWindowIndex : public BrowseWindow {
  protected:
    void SetUp() override {
        BrowseWindow::SetUp();
        const std::string driver = Driver::name;
        ASSERT_TRUE(DBCREATE("cat", {{"clave", 'C', 4, 0}, {"descrip", 'C', 12, 0}}, driver));
        ASSERT_TRUE(DBUSEAREA(true, driver, "cat", "CAT", true));
        const char* rows[][2] = {{"0004", "Azul"}, {"0002", "Verde"}, {"0003", "Rojo"}, {"0001", "Negro"}};
        for (auto& r : rows) {
            ASSERT_TRUE(DBAPPEND());
            FIELDPUT(1, Value(r[0]));
            FIELDPUT(2, Value(r[1]));
        }
        DBCOMMIT();
        DBUNLOCK();
        ASSERT_TRUE(ORDCREATE("cat", "clave", "clave"));
        ASSERT_TRUE(ORDCREATE("cat", "descrip", "descrip"));
    }
    std::string current() { return text::rtrim(evalInAlias("CAT", [] { return FIELDGET(2); }).text()); }
};
TYPED_TEST_SUITE(BrowseWindowIndex, BothDrivers);

TYPED_TEST(BrowseWindowIndex, SetIndexChangesTheOrderClearsTheSearchAndKeepsTheRecord) {
    auto& t = *this;
    uWTbrowse& w = t.make({.source = BrowseSource([] { return BrowseRow{FIELDGET(1), FIELDGET(2)}; }),
                           .aIndexNum = list({Value("clave"), Value("descrip")}),
                           .aIndexTxt = list({Value("Clave"), Value("Descripción")}), .uIndex = Value("descrip"),
                           .cAlias = "CAT"});
    EXPECT_EQ(w.oBrw->nIndex, 2);
    EXPECT_EQ(evalInAlias("CAT", [] { return Value(ORDNAME()); }).text(), "DESCRIP");
    EXPECT_TRUE(w.oBrw->seek("R"));
    EXPECT_EQ(t.current(), "Rojo");
    EXPECT_EQ(w.setIndex(1), 1);
    EXPECT_EQ(w.oBrw->cSeek, "");
    EXPECT_EQ(t.current(), "Rojo");
    EXPECT_EQ(evalInAlias("CAT", [] { return Value(ORDKEYNO()); }).num(), 3);
    EXPECT_TRUE(w.aIndexObj[0]->checked());
    EXPECT_FALSE(w.aIndexObj[1]->checked());
    EXPECT_EQ(w.setIndex(7), 1);  // outside the list: nothing changes
}

TYPED_TEST(BrowseWindowIndex, ARefusedCloseKeepsTheAliasAndAFailedReopenKeepsTheTable) {
    auto& t = *this;
    uWTbrowse& w = t.make({.source = BrowseSource([] { return BrowseRow{FIELDGET(1)}; }), .cAlias = "CAT"});
    w.bValid = [](TWindow&) { return false; };
    EXPECT_FALSE(w.end());
    EXPECT_EQ(w.oBrw->cAlias, "CAT");
    t.errors.clear();
    w.refresODBC();
    EXPECT_FALSE(t.errors.empty());
    EXPECT_TRUE(evalInAlias("CAT", [] { return Value(USED()); }).logical());
    EXPECT_EQ(evalInAlias("CAT", [] { return Value(RDDNAME()); }).text(), TypeParam::name);
}

}  // namespace

namespace {

TYPED_TEST(BrowseWindowIndex, TheScopeFilterOnTheBarSetsAndClearsTheScopes) {
    auto& t = *this;
    uWTbrowse& w = t.make({.source = BrowseSource([] { return BrowseRow{FIELDGET(1), FIELDGET(2)}; }),
                           .aIndexNum = list({Value("descrip"), Value("clave")}),
                           .aIndexTxt = list({Value("Descripción"), Value("Clave")}), .cAlias = "CAT"});
    auto count = [] { return evalInAlias("CAT", [] { return Value(ORDKEYCOUNT()); }).num(); };
    w.barraScope();
    ASSERT_EQ(w.aScopeGets.size(), 1u);
    w.aScopeGets[0]->setCaretPos(0);
    w.aScopeGets[0]->keyChar(U'R');
    EXPECT_EQ(count(), 1);  // top and bottom both "R": only "Rojo"
    EXPECT_EQ(t.current(), "Rojo");
    w.tabAction(2);
    EXPECT_EQ(count(), 4);
    EXPECT_EQ(w.oBrw->nIndex, 2);
    EXPECT_EQ(w.aScopeGets[0]->text(), std::string(100, ' '));

    w.barraScope("&Desde", "&Hasta");
    ASSERT_EQ(w.aScopeGets.size(), 2u);
    w.aScopeGets[0]->setCaretPos(0);
    w.aScopeGets[0]->keyChar(U'0');
    w.aScopeGets[0]->keyChar(U'0');
    w.aScopeGets[0]->keyChar(U'0');
    w.aScopeGets[0]->keyChar(U'2');
    EXPECT_EQ(count(), 3);  // from 0002 on
    w.aScopeGets[1]->setCaretPos(0);
    for (char32_t c : std::u32string(U"0003")) w.aScopeGets[1]->keyChar(c);
    EXPECT_EQ(count(), 2);  // 0002 to 0003
}

}  // namespace

namespace {

TEST_F(BrowseWindow, WithoutABarThereAreStillAStatusBarACounterAndTheTabs) {
    uWTbrowse& w = make({.uBarra = BarraArg::none(), .aIndexNum = list({Value(1), Value(2)}),
                         .aIndexTxt = list({Value("Uno"), Value("Dos")})});
    w.activate();
    ASSERT_NE(w.oMsgBar, nullptr);
    ASSERT_NE(w.oTabs, nullptr);
    EXPECT_EQ(w.oTabs->prompts(), (std::vector<std::string>{"Uno", "Dos"}));
    w.oBrw->goDown();
    EXPECT_EQ(w.oMsgBar->items()[0]->text(), "2/5");
    EXPECT_EQ(w.oMsgBar->items()[0]->backColor(), Color(8421504));
    w.oBrw->setSeeked("4");
    EXPECT_EQ(w.oMsgBar->cMsgDef(), "4");
    // The tabs sit right above the status bar; the browse ends where they begin.
    Rect tabs = w.oTabs->pixelRect(), status = w.oMsgBar->pixelRect(), browse = w.oBrw->pixelRect();
    EXPECT_EQ(tabs.bottom(), status.top);
    EXPECT_EQ(browse.bottom(), tabs.top);
}

}  // namespace
