// Dialogs and their controls driven through the harness: results, the closing check,
// Escape and the close box, units, centring, labels' click handlers and default buttons.
#include "Dialog.h"

#include <gtest/gtest.h>

#include "App.h"
#include "Control.h"
#include "Get.h"
#include "GuiHarness.h"
#include "ImageCanvas.h"
#include "System.h"

namespace {

class Dialogs : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(Dialogs, ButtonsEscapeAndTheCloseBoxEndThroughTheClosingCheck) {
    TDialog dlg(DialogOptions{.title = " Prueba", .width = 200, .height = 100});
    int presses = 0;
    auto* ok =
        dlg.add<TButton>(ButtonOptions{.rect = {10, 10, 40, 12}, .caption = "&Aceptar", .id = 7});
    ok->setAction([&] {
        ++presses;
        dlg.end(5);
    });
    bool allow = false;
    dlg.bValid = [&](TDialog&) { return allow; };

    // Escape and the close box are refused while the check says no; then a button ends it.
    harness.onNextModal([&](WindowView& v) {
        EXPECT_EQ(v.title(), " Prueba");
        v.key(Key::Escape);
        v.close();
        EXPECT_TRUE(v.visible());
        EXPECT_FALSE(dlg.end(3));
        allow = true;
        EXPECT_TRUE(v.press(7));
    });
    EXPECT_EQ(dlg.activate(), 5);
    EXPECT_EQ(presses, 1);
    EXPECT_FALSE(dlg.active());

    // Shown again: Escape now ends it with 0.
    harness.onNextModal([](WindowView& v) { v.key(Key::Escape); });
    EXPECT_EQ(dlg.activate(), 0);
    harness.onNextModal([](WindowView& v) { v.close(); });
    EXPECT_EQ(dlg.activate(), 0);
}

TEST_F(Dialogs, ControlsArePlacedInTheDialogsUnits) {
    TDialog units(DialogOptions{.width = 300, .height = 200, .units = Units::DialogUnits});
    TSay* a = units.add<TSay>(SayOptions{.rect = {7.5, 10, 50, 7.5}, .text = "uno"});
    EXPECT_EQ(a->pixelRect(), (Rect{15, 20, 100, 15}));
    EXPECT_EQ(a->rect(), (Rect{7.5, 10, 50, 7.5}));
    TDialog pixels(DialogOptions{.width = 300, .height = 200, .units = Units::Pixels});
    TSay* b = pixels.add<TSay>(SayOptions{.rect = {7, 10, 50, 8}, .text = "dos"});
    EXPECT_EQ(b->pixelRect(), (Rect{7, 10, 50, 8}));
    EXPECT_EQ(pixels.control("dos"), b);
    EXPECT_EQ(pixels.control("nada"), nullptr);
    EXPECT_EQ(units.width(), 300);
    EXPECT_EQ(units.height(), 200);
}

TEST_F(Dialogs, NonModalDialogsAreCentredPopUpsWhenAsked) {
    TDialog dlg(DialogOptions{.width = 120, .height = 80, .popup = true});
    dlg.activate(ActivateOptions{.modal = false});
    EXPECT_TRUE(dlg.active());
    EXPECT_FALSE(dlg.modal());
    EXPECT_TRUE(dlg.popup());
    auto view = GuiHarness::window("");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->width(), 120);
    EXPECT_NEAR(dlg.left(), (screenWidth() - 120) / 2, 1);
    EXPECT_NEAR(dlg.top(), (screenHeight() - 80) / 2, 1);
    EXPECT_TRUE(dlg.end());
    EXPECT_FALSE(dlg.active());
    dlg.setHelpIcon(true);
    EXPECT_TRUE(dlg.helpIcon());
}

TEST_F(Dialogs, InitRunsBeforeShowingAndMayResize) {
    TDialog dlg(DialogOptions{.width = 100, .height = 50});
    harness.onNextModal([&](WindowView& v) {
        EXPECT_EQ(v.width(), 240);
        EXPECT_EQ(v.height(), 90);
        dlg.end(1);
    });
    bool ran = false;
    dlg.activate(ActivateOptions{.onInit = [&](TDialog& d) {
        ran = true;
        EXPECT_FALSE(d.active());
        d.setSize(240, 90);
    }});
    EXPECT_TRUE(ran);
}

TEST_F(Dialogs, LabelsReportClicksAndLetUnhandledClicksThroughToTheDialog) {
    TDialog dlg(DialogOptions{.width = 200, .height = 100, .units = Units::Pixels});
    TSay* handled = dlg.add<TSay>(SayOptions{.rect = {0, 0, 100, 20}, .text = "con manejador"});
    dlg.add<TSay>(SayOptions{.rect = {40, 0, 100, 20}, .text = "sin manejador"});
    std::vector<std::string> events;
    handled->setOnLeftClick([&](int, int) { events.push_back("left"); });
    handled->setOnRightClick([&](int, int) { events.push_back("right"); });
    handled->setOnLeftDoubleClick([&](int, int) { events.push_back("double"); });
    dlg.bLClicked = [&](TDialog&, int row, int col) {
        events.push_back("dialog " + std::to_string(row) + "," + std::to_string(col));
    };
    harness.onNextModal([&](WindowView& v) {
        v.clickLabel("con manejador");
        v.clickLabel("con manejador", true);
        v.doubleClickLabel("con manejador");
        v.clickLabel("sin manejador");
        v.click(80, 150);
        dlg.end();
    });
    dlg.activate();
    std::vector<std::string> expected = {"left", "right", "double", "dialog 50,50",
                                         "dialog 80,150"};
    EXPECT_EQ(events, expected);
}

TEST_F(Dialogs, KeysReachTheKeyHandlerFirst) {
    TDialog dlg(DialogOptions{.width = 100, .height = 60});
    std::vector<Key> keys;
    dlg.bKeyDown = [&](TDialog&, Key k) {
        keys.push_back(k);
        return k == Key::Escape;  // swallowed: Escape does not close
    };
    harness.onNextModal([&](WindowView& v) {
        v.key(Key::Escape);
        EXPECT_TRUE(v.visible());
        v.key(Key::Up);
        v.type("ab");
        dlg.end(2);
    });
    EXPECT_EQ(dlg.activate(), 2);
    EXPECT_EQ(keys, (std::vector<Key>{Key::Escape, Key::Up, Key::Other, Key::Other}));
}

TEST_F(Dialogs, DefaultButtonFocusColoursAndBackgroundPicture) {
    TDialog dlg(DialogOptions{.width = 100, .height = 60, .units = Units::Pixels});
    dlg.setBackgroundPicture(Picture(100, 60, RGB(0, 128, 0)));
    EXPECT_TRUE(dlg.hasBackgroundPicture());
    dlg.add<TButton>(ButtonOptions{.rect = {30, 5, 40, 20}, .caption = "&Uno"});
    auto* two = dlg.add<TButton>(
        ButtonOptions{.rect = {30, 50, 40, 20}, .caption = "&Dos", .isDefault = true});
    TSay* say =
        dlg.add<TSay>(SayOptions{.rect = {0, 0, 50, 12}, .text = "x", .backColor = colors::white});
    say->setColors(16711680, 16777215);
    EXPECT_EQ(say->textColor(), 16711680u);
    EXPECT_EQ(say->backColor(), std::optional<Color>(16777215));
    EXPECT_TRUE(two->isDefault());
    harness.onNextModal([&](WindowView& v) {
        Picture p = v.grab();
        EXPECT_EQ(p.at(80, 3), RGB(0, 128, 0));  // the picture under the controls
        EXPECT_EQ(p.at(40, 3), colors::white);   // the label's opaque background
        v.key(Key::Enter);                       // the default button answers Enter
    });
    two->setFocus();
    int pressed = 0;
    two->setAction([&] {
        ++pressed;
        dlg.end(2);
    });
    EXPECT_EQ(dlg.activate(), 2);
    EXPECT_EQ(pressed, 1);
}

// A resumable box paused between two records keeps what is typed meanwhile for its next
// run, in order, and its mnemonic clicks at once.
TEST_F(Dialogs, KeysTypedWhileAResumableBoxIsPausedReachItsNextRun) {
    TDialog dlg(DialogOptions{.title = " Registro", .width = 200, .height = 80});
    Value text("");
    auto* get = dlg.add<TGet>(GetOptions{.rect = {5, 5, 80, 11}, .binding = GetBinding::to(text), .picture = "@!"});
    int accepted = 0;
    dlg.add<TButton>(ButtonOptions{.rect = {20, 5, 40, 12}, .caption = "&Aceptar", .action = [&] {
                                       ++accepted;
                                       dlg.pause(1);
                                   }});
    harness.onNextModal([&](WindowView& v) {
        get->setFocus();
        v.type("ab");
        v.press("&Aceptar");
        v.type("cd");  // while the caller stores the first record
    });
    EXPECT_EQ(dlg.activate(ActivateOptions{.resumable = true}), 1);
    EXPECT_TRUE(dlg.active());
    EXPECT_EQ(get->text().substr(0, 2), "AB");
    EXPECT_EQ(get->text().find('C'), std::string::npos);  // held, not typed into the old record
    std::string second;
    harness.onNextModal([&](WindowView& v) {
        SysRefresh();  // the held keys come first
        second = get->text();
        v.key(Key::Escape);
    });
    EXPECT_EQ(dlg.activate(ActivateOptions{.resumable = true}), 0);
    EXPECT_EQ(second.substr(0, 4), "ABCD");
    EXPECT_EQ(accepted, 1);
    EXPECT_FALSE(dlg.active());
}

}  // namespace
