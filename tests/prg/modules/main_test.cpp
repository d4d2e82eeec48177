// The program's start-up and main window: the splash and its wait, the maximised window
// with its menu, logo and tray icon, minimising into the tray, and the exit question.
#include "main.h"

#include <gtest/gtest.h>

#include "App.h"
#include "Bitmap.h"
#include "GuiHarness.h"
#include "Menu.h"
#include "System.h"
#include "TableLayer.h"
#include "TopWindow.h"
#include "TrayIcon.h"
#include "acercaDe.h"
#include "mainConfig.h"
#include "memoryTables.h"

namespace {

std::vector<std::string> captions(const TMenu& menu) {
    std::vector<std::string> out;
    for (const auto& item : menu.items()) out.push_back(item->isSeparator() ? "-" : item->caption());
    return out;
}

class Programa : public ::testing::Test {
  protected:
    void SetUp() override {
        forgetAcercaDeSettings();
        freshMemoryTables();
    }
    void TearDown() override {
        if (mainWindow()) {
            mainWindow()->bValid = nullptr;
            mainWindow()->end();
        }
        shutDown();
        TTrayIcon::setAvailableForTests(std::nullopt);
        DBCLOSEALL();
        oConfig.reset();
        EXPECT_TRUE(harness.unexpected().empty());
    }
    // Starts the program; the wait for a key is measured on the test clock.
    double startTimed() {
        double before = clock.now;
        startUp();
        return clock.now - before;
    }
    GuiHarness harness;
    TestClock clock{1321615800.0, 0.25};
};

TEST_F(Programa, StartsMaximisedWithItsMenuLogoTrayAndTables) {
    double waited = startTimed();
    EXPECT_GE(waited, kStartUpWaitSeconds);

    TWindow* w = mainWindow();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title(), " Urnalia");
    EXPECT_TRUE(w->visible());
    EXPECT_TRUE(w->maximized());
    EXPECT_TRUE(w->icon().valid());
    ASSERT_TRUE(w->menu());
    EXPECT_EQ(captions(*w->menu()),
              (std::vector<std::string>{"&Archivo", "&Elecciones", "&Utilerias", "A&cerca de..."}));

    // The splash has ended: the main window is the only window left.
    ASSERT_EQ(GuiHarness::windows().size(), 1u);
    EXPECT_EQ(GuiHarness::windows()[0].title(), " Urnalia");

    TTrayIcon* tray = mainTray();
    ASSERT_TRUE(tray);
    EXPECT_EQ(tray->tooltip(), "Urnalia");
    EXPECT_EQ(tray->owner(), w);
    EXPECT_FALSE(tray->ended());

    // The logo sits in the middle of the window, below the caption and menu bars.
    TBitmap* logo = mainLogo();
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->imageWidth(), 471);
    EXPECT_EQ(logo->imageHeight(), 444);
    Rect r = logo->pixelRect();
    EXPECT_NEAR(r.left, (w->outerWidth() - 471) / 2, 1);

    // The configuration made the election tables, with logo handles for the parties.
    ASSERT_TRUE(oConfig);
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "partidos", "", true));
    EXPECT_EQ(LASTREC(), 35);
    DBGOTO(1);
    EXPECT_NE(FIELDGET(3).num(), 0);
    DBCLOSEAREA();
}

TEST_F(Programa, AKeyEndsTheStartUpWaitEarly) {
    // The key comes a second into the start-up, while the wait runs.
    bool sent = false;
    double keyAt = clock.now + 1.0;
    clock.onRead = [&](double now) {
        if (sent || now < keyAt) return;
        for (WindowView& v : GuiHarness::windows())
            if (v.title().empty()) {
                sent = true;
                v.key(Key::Enter);
            }
    };
    double waited = startTimed();
    clock.onRead = nullptr;
    EXPECT_TRUE(sent);
    EXPECT_LT(waited, kStartUpWaitSeconds);
    EXPECT_TRUE(mainWindow()->visible());
}

TEST_F(Programa, MenuBarAndTrayMenuHoldTheSameItems) {
    auto bar = OMENU();
    EXPECT_FALSE(bar->isPopup());
    EXPECT_EQ(captions(*bar->find("&Archivo")->submenu()), (std::vector<std::string>{"P&artidos", "&Salir"}));
    EXPECT_EQ(captions(*bar->find("&Elecciones")->submenu()), (std::vector<std::string>{"Presidente", "Alcalde"}));
    EXPECT_EQ(captions(*bar->find("&Utilerias")->submenu()), (std::vector<std::string>{"Generar índices"}));

    auto popup = OMENU({}, true);
    EXPECT_TRUE(popup->isPopup());
    EXPECT_EQ(captions(*popup), (std::vector<std::string>{"&Archivo", "&Elecciones", "&Utilerias", "A&cerca de...",
                                                          "-", "&Salir"}));

    // A caller's items come first, then the standard ones.
    auto own = OMENU([](TMenu& m) { m.add("&Conteo Presidente", [] {}); });
    EXPECT_EQ(captions(*own).front(), "&Conteo Presidente");
    EXPECT_EQ(captions(*own).size(), 5u);
}

TEST_F(Programa, AnsweringNoKeepsTheProgramRunningAndYesEndsTheTrayFirst) {
    startTimed();
    TWindow* w = mainWindow();
    std::string question, title;
    harness.onNextModal([&](WindowView& v) {
        title = v.title();
        for (const std::string& l : v.labels())
            if (l == "¿ Quieres terminar ?") question = l;
        v.press("No");
    });
    mainWindow()->menu()->find("&Salir")->trigger();
    EXPECT_EQ(title, " Atención");
    EXPECT_EQ(question, "¿ Quieres terminar ?") << "labels seen: " << question;
    EXPECT_TRUE(w->visible());
    EXPECT_FALSE(mainTray()->ended());

    bool trayEndedWhileClosing = false;
    harness.onNextModal([&](WindowView& v) { v.press("Sí"); });
    w->bResized = nullptr;
    EXPECT_TRUE(w->end());
    trayEndedWhileClosing = mainTray()->ended();
    EXPECT_TRUE(trayEndedWhileClosing);
    EXPECT_FALSE(w->visible());

    oConfig->oFont = std::make_shared<TFont>("Arial", 0, 12);
    shutDown();
    EXPECT_FALSE(oConfig->oFont);
    EXPECT_EQ(mainWindow(), nullptr);
}

TEST_F(Programa, MinimisingHidesTheWindowAndTheTrayBringsItBack) {
    TTrayIcon::setAvailableForTests(true);
    startTimed();
    ASSERT_TRUE(mainTray()->shown());
    TWindow* w = mainWindow();
    w->minimize();
    SysRefresh();
    EXPECT_FALSE(w->visible());

    mainTray()->leftDoubleClick();
    SysRefresh();
    EXPECT_TRUE(w->visible());
    EXPECT_FALSE(w->minimized());
    EXPECT_TRUE(w->maximized());
}

// With no notification area a hidden window could never come back: it only minimises.
TEST_F(Programa, WithoutANotificationAreaMinimisingKeepsTheWindow) {
    TTrayIcon::setAvailableForTests(false);
    startTimed();
    TWindow* w = mainWindow();
    EXPECT_FALSE(mainTray()->shown());
    w->minimize();
    SysRefresh();
    EXPECT_TRUE(w->visible());
    EXPECT_TRUE(w->minimized());
    w->restore();
    SysRefresh();
    EXPECT_TRUE(w->maximized());
}

// Maximised, the main window covers the screen's free area, window manager or not.
TEST_F(Programa, TheMaximisedWindowFillsTheScreen) {
    startTimed();
    TWindow* w = mainWindow();
    EXPECT_EQ(w->outerWidth(), screenWidth());
    EXPECT_EQ(w->outerHeight(), screenHeight());
}

TEST_F(Programa, TheTrayMenuOffersTheExitAndTheAboutBoxShowsTheSplashTexts) {
    startTimed();
    std::vector<std::string> items;
    harness.onNextModal([&](WindowView& v) {
        items = v.menuItems();
        v.choose("&Salir");
    });
    harness.onNextModal([](WindowView& v) { v.press("No"); });
    mainTray()->rightClick(300, 600);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.back(), "&Salir");
    EXPECT_EQ(items[items.size() - 2], "-");
    EXPECT_TRUE(mainWindow()->visible());

    std::vector<std::string> labels;
    harness.onNextModal([&](WindowView& v) {
        labels = v.labels();
        v.key(Key::Escape);
    });
    mainWindow()->menu()->find("A&cerca de...")->trigger();
    EXPECT_NE(std::find(labels.begin(), labels.end(), "España"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "18 de november de 2011 "), labels.end());
}

}  // namespace
