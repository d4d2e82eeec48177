// Keyboard state, the clock, waits with events, timers, the tray icon, system metrics
// and opening addresses.
#include <gtest/gtest.h>

#include "App.h"
#include "Clock.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "Keyboard.h"
#include "System.h"
#include "Timer.h"
#include "TopWindow.h"
#include "TrayIcon.h"

namespace {

TEST(KeyboardState, FollowsKeyEventsAndTestOverrides) {
    GuiHarness harness;
    TDialog dlg(DialogOptions{.width = 100, .height = 60});
    bool downDuring = false;
    long before = keyPressCount();
    dlg.bKeyDown = [&](TDialog&, Key k) {
        if (k == Key::Up) downDuring = keyDown(Key::Up);
        return false;
    };
    harness.onNextModal([&](WindowView& v) {
        v.key(Key::Up);
        dlg.end();
    });
    dlg.activate();
    EXPECT_TRUE(downDuring);         // down while its press is handled
    EXPECT_FALSE(keyDown(Key::Up));  // released afterwards
    EXPECT_EQ(keyPressCount(), before + 1);

    setKeyboardForTests([](Key k) { return k == Key::Escape; });
    EXPECT_TRUE(keyDown(Key::Escape));
    EXPECT_FALSE(keyDown(Key::Shift));
    setKeyboardForTests(nullptr);
    EXPECT_FALSE(keyDown(Key::Escape));
}

TEST(Clock, TestClockDrivesSecondsYearsAndWaits) {
    {
        TestClock clock(1321615815.0, 0.5);  // 2011-11-18 11:30:15
        EXPECT_EQ(clockSecond(), 15);
        EXPECT_EQ(clockSecond(), 15);  // half a second per read
        EXPECT_EQ(clockSecond(), 16);
        EXPECT_EQ(clockYear(), 2011);
        EXPECT_EQ(clockToday(), Date::fromYmd(2011, 11, 18));
        double start = clock.now;
        EXPECT_FALSE(waitWithEvents(3));  // no key: the whole wait
        EXPECT_GE(clock.now, start + 3);
    }
    EXPECT_GE(clockYear(), 2024);  // the real clock is back
}

TEST(Waits, AKeyPressEndsAWaitThatAllowsIt) {
    GuiHarness harness;
    TDialog dlg(DialogOptions{.width = 100, .height = 60});
    dlg.activate(ActivateOptions{.modal = false});
    auto view = GuiHarness::window("");
    ASSERT_TRUE(view);
    TestClock clock(0, 0.01);
    clock.onRead = [&](double t) {
        if (t > 0.5 && t < 0.52) view->key(Key::Other);
    };
    EXPECT_TRUE(waitWithEvents(30, true));
    EXPECT_LT(clock.now, 1.0);
    dlg.end();
}

TEST(Timers, RunTheirActionFromTheEventLoopWhileActive) {
    int ticks = 0;
    TTimer timer(1, [&] { ++ticks; });
    EXPECT_FALSE(timer.active());
    timer.activate();
    EXPECT_TRUE(timer.active());
    for (int i = 0; i < 200 && ticks < 3; ++i) waitWithEvents(0.01);
    EXPECT_GE(ticks, 3);
    timer.deactivate();
    int stopped = ticks;
    waitWithEvents(0.05);
    EXPECT_EQ(ticks, stopped);
    timer.setInterval(250);
    EXPECT_EQ(timer.interval(), 250);
}

TEST(TrayIcons, DegradeQuietlyWithoutANotificationAreaAndStopAfterEnd) {
    TWindow owner(WindowOptions{.title = "t"});
    std::vector<std::string> calls;
    TTrayIcon tray(TrayOptions{.owner = &owner,
                               .icon = TIcon(Picture(32, 32, colors::blue)),
                               .tooltip = "Urnalia",
                               .onRightClick =
                                   [&](int row, int col) {
                                       calls.push_back("right " + std::to_string(row) + "," +
                                                       std::to_string(col));
                                   },
                               .onLeftDoubleClick = [&] { calls.push_back("double"); }});
    EXPECT_EQ(tray.shown(), TTrayIcon::available());  // offscreen: no notification area
    EXPECT_EQ(tray.tooltip(), "Urnalia");
    EXPECT_EQ(tray.owner(), &owner);
    tray.rightClick(5, 7);
    tray.leftDoubleClick();
    tray.end();
    tray.leftDoubleClick();
    EXPECT_TRUE(tray.ended());
    EXPECT_FALSE(tray.shown());
    EXPECT_EQ(calls, (std::vector<std::string>{"right 5,7", "double"}));
}

TEST(Desktop, MetricsArePositiveAndAddressesGoToTheOpener) {
    EXPECT_GT(captionHeight(), 0);
    EXPECT_GT(menuBarHeight(), 0);
    EXPECT_GT(scrollBarWidth(), 0);
    EXPECT_GT(screenWidth(), 0);
    std::vector<std::string> opened;
    setUrlOpenerForTests([&](const std::string& a) {
        opened.push_back(a);
        return true;
    });
    EXPECT_TRUE(OpenUrl("mailto:ventas@tarvelon.example"));
    setUrlOpenerForTests(nullptr);
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:ventas@tarvelon.example"});
}

}  // namespace
