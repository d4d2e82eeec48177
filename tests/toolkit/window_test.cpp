// Top-level windows and menus: the close query, the resize handler with its size types,
// the client control, menu bars and pop-ups defined with callbacks, item states.
#include <gtest/gtest.h>

#include "Bitmap.h"
#include "Error.h"
#include "GuiHarness.h"
#include "Menu.h"
#include "Timer.h"
#include "TopWindow.h"
#include "bmpCodec.h"

namespace {

class Windows : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(Windows, CloseQueryDecidesWhetherTheWindowCloses) {
    TWindow w(WindowOptions{.title = " Urnalia"});
    bool allow = false;
    int asked = 0;
    w.bValid = [&](TWindow&) {
        ++asked;
        return allow;
    };
    w.activate();
    EXPECT_FALSE(w.end());
    EXPECT_TRUE(w.visible());
    allow = true;
    EXPECT_TRUE(w.end());
    EXPECT_FALSE(w.visible());
    EXPECT_EQ(asked, 2);
}

TEST_F(Windows, ResizeHandlerGetsSizeTypesAndTheClientFollows) {
    TWindow w(WindowOptions{.title = "w", .width = 300, .height = 200});
    std::vector<int> types;
    w.bResized = [&](TWindow&, int type, int, int) { types.push_back(type); };
    TBitmap* logo = w.add<TBitmap>(BitmapOptions{.rect = {1, 1, 0, 0}});
    logo->setPicture(Picture(20, 10, colors::blue));
    EXPECT_EQ(logo->pixelRect(), (Rect{1, 1, 20, 10}));  // sized to its picture
    w.activate(TWindow::Show::Maximized);
    EXPECT_TRUE(w.maximized());
    w.minimize();
    EXPECT_TRUE(w.minimized());
    w.restore();
    EXPECT_FALSE(w.minimized());
    EXPECT_TRUE(w.visible());
    ASSERT_FALSE(types.empty());
    EXPECT_NE(std::find(types.begin(), types.end(), 2), types.end());
    EXPECT_NE(std::find(types.begin(), types.end(), 1), types.end());

    w.setClient(logo);
    w.setSize(400, 250);
    EXPECT_EQ(logo->pixelRect().width, w.width());
    EXPECT_EQ(logo->pixelRect().height, w.height());
    w.setIcon(TIcon(Picture(32, 32, colors::red)));
    EXPECT_TRUE(w.icon().valid());
    w.end();
}

TEST_F(Windows, MenuBarsAreDefinedWithCallbacksThatSeeTheMenuBeingBuilt) {
    std::vector<std::string> ran;
    auto callerItems = [&] {
        // Called from inside the definition: adds to the menu under construction.
        ASSERT_NE(TMenu::building(), nullptr);
        TMenu::building()->add("&Conteo P00", [&] { ran.push_back("conteo"); });
    };
    auto bar = TMenu::bar([&](TMenu& m) {
        callerItems();
        m.addMenu("&Archivo", [&](TMenu& sub) {
            EXPECT_EQ(TMenu::building(), &sub);
            sub.add("P&artidos", [&] { ran.push_back("partidos"); });
            sub.separator();
            sub.add("&Salir",
                    MenuItemOptions{.action = [&] { ran.push_back("salir"); }, .enabled = false});
        });
        m.add("A&cerca de...", MenuItemOptions{.action = [&] { ran.push_back("acerca"); },
                                               .checked = true,
                                               .image = Picture(16, 16, colors::blue)});
    });
    EXPECT_EQ(TMenu::building(), nullptr);
    ASSERT_EQ(bar->items().size(), 3u);
    EXPECT_EQ(bar->items()[0]->caption(), "&Conteo P00");
    EXPECT_EQ(bar->items()[1]->submenu()->items().size(), 3u);
    EXPECT_TRUE(bar->items()[1]->submenu()->items()[1]->isSeparator());

    bar->find("Partidos")->trigger();
    bar->find("Salir")->trigger();  // disabled: nothing runs
    TMenuItem* about = bar->find("Acerca de...");
    EXPECT_TRUE(about->checked());
    EXPECT_TRUE(about->hasImage());
    about->trigger();
    bar->find("Conteo P00")->trigger();
    EXPECT_EQ(ran, (std::vector<std::string>{"partidos", "acerca", "conteo"}));

    TWindow w(WindowOptions{.title = "m"});
    TMenu* raw = bar.get();
    w.setMenu(std::move(bar));
    EXPECT_EQ(w.menu(), raw);
}

TEST_F(Windows, PopUpMenusRunTheChosenItem) {
    std::string chosen;
    auto menu = TMenu::popup([&](TMenu& m) {
        m.add("&Archivo", [&] { chosen = "archivo"; });
        m.separator();
        m.add("&Salir", [&] { chosen = "salir"; });
    });
    EXPECT_TRUE(menu->isPopup());
    harness.onNextModal([](WindowView& v) {
        EXPECT_EQ(v.menuItems(), (std::vector<std::string>{"&Archivo", "-", "&Salir"}));
        EXPECT_TRUE(v.choose("Salir"));
    });
    menu->activate(10, 10);
    EXPECT_EQ(chosen, "salir");
    EXPECT_EQ(harness.pending(), 0u);
}

}  // namespace

namespace {

TEST_F(Windows, BitmapsKeepTheirPictureWhenNewBytesAreBad) {
    std::vector<ErrorRecord> errors;
    ScopedErrorHandler h([&](const ErrorRecord& r) {
        errors.push_back(r);
        return ErrorAction::Default;
    });
    TWindow w(WindowOptions{.title = "b", .width = 200, .height = 100});
    auto good = encodeBmp24(Picture(4, 3, RGB(9, 8, 7)));
    TBitmap* bmp = w.add<TBitmap>(
        BitmapOptions{.rect = {0, 0, 40, 30}, .bytes = std::string(good.begin(), good.end())});
    EXPECT_EQ(bmp->imageWidth(), 4);
    EXPECT_EQ(bmp->pixelRect().width, 40);  // a given size is kept
    EXPECT_FALSE(bmp->LoadFromString("BM and nothing else"));
    EXPECT_EQ(bmp->imageWidth(), 4);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(bmp->loadResource("no_such_picture"));
    EXPECT_EQ(bmp->picture().at(3, 2), RGB(9, 8, 7));

    // Drawn at its own size, or stretched over the control.
    w.activate();
    auto view = GuiHarness::window("b");
    ASSERT_TRUE(view);
    Picture shot = view->grab();
    int top = shot.height - w.height();  // below any menu bar
    EXPECT_EQ(shot.at(2, top + 2), RGB(9, 8, 7));
    EXPECT_NE(shot.at(20, top + 20), RGB(9, 8, 7));
    bmp->setStretch(true);
    shot = view->grab();
    EXPECT_EQ(shot.at(20, top + 20), RGB(9, 8, 7));
    w.end();
}

TEST_F(Windows, WaitClosedReturnsWhenTheWindowHasClosed) {
    TWindow w(WindowOptions{.title = "espera"});
    int refused = 0;
    w.bValid = [&](TWindow&) { return ++refused > 1; };  // the first close is refused
    w.activate();
    TTimer closer(1, [&] { w.end(); });
    closer.activate();
    w.waitClosed();
    EXPECT_FALSE(w.visible());
    EXPECT_EQ(refused, 2);
}

}  // namespace
