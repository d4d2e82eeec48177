// The pieces of in-cell editors and progress bars: drop-down lists, the meter and its
// refresh rate, and borderless pop-ups placed over a control, with their start-up action
// and a closing guard, driven through the harness.
#include <gtest/gtest.h>

#include "App.h"
#include "Clock.h"
#include "ComboBox.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "Meter.h"
#include "Timer.h"

namespace {

class Popups : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
    TDialog dlg{
        DialogOptions{.title = "Base", .width = 240, .height = 120, .units = Units::Pixels}};
};

TEST_F(Popups, ADropDownListReportsPicksChangesAndLeavingTheFocus) {
    std::vector<std::string> seen;
    auto* combo = dlg.add<TComboBox>(ComboBoxOptions{
        .rect = {10, 10, 80, 20},
        .items = {".T.", ".F."},
        .selected = 2,
        .onChange = [&](TComboBox&, int n) { seen.push_back("change " + std::to_string(n)); },
        .onPick = [&](TComboBox& c,
                      int n) { seen.push_back("pick " + std::to_string(n) + " " + c.text()); },
        .listHeight = 50});
    auto* other = dlg.add<TButton>(ButtonOptions{.rect = {10, 100, 60, 20}, .caption = "Otro"});
    combo->onLostFocus = [&](TComboBox&) { seen.push_back("left"); };
    harness.onNextModal([&](WindowView&) {
        SysRefresh();
        EXPECT_EQ(combo->selected(), 2);
        combo->setFocus();
        SysRefresh();
        combo->open();
        SysRefresh();
        EXPECT_TRUE(combo->isOpen());
        combo->pick(1);  // the user chose the first item
        EXPECT_FALSE(combo->isOpen());
        combo->pick(1);  // chosen again: a pick without a change
        combo->select(7);
        EXPECT_EQ(combo->selected(), 0);
        EXPECT_EQ(combo->text(), "");
        other->setFocus();
        SysRefresh();
        dlg.end();
    });
    dlg.activate();
    EXPECT_EQ(seen, (std::vector<std::string>{"change 1", "pick 1 .T.", "pick 1 .T.", "change 0",
                                              "left"}));
    EXPECT_EQ(combo->items(), (std::vector<std::string>{".T.", ".F."}));
}

TEST_F(Popups, TheMeterShowsWholePercentsAndLetsEventsRunOnlyWhenDue) {
    auto* meter = dlg.add<TMeter>(MeterOptions{.rect = {10, 10, 200, 20}, .total = 1000});
    struct Case {
        double total, position;
        std::string shown;
    };
    for (const Case& c :
         {Case{1000, 0, "0%"}, Case{1000, 999, "99%"}, Case{1000, 1000, "100%"},
          Case{1000, 5000, "100%"}, Case{1000, -4, "0%"}, Case{0, 10, "0%"}, Case{3, 1, "33%"}}) {
        meter->setTotal(c.total);
        meter->set(c.position);
        EXPECT_EQ(meter->shownText(), c.shown) << c.total << " " << c.position;
    }
    meter->setTotal(1000);
    meter->set(0);
    int ticks = 0;
    TTimer timer(0, [&] { ++ticks; });
    timer.activate();
    waitWithEvents(0.05);                    // the timer is running
    TestClock clock(clockSeconds() + 1, 0);  // the last refresh is long past; time stands still
    ticks = 0;
    meter->set(500);  // a new percentage, due: events run
    EXPECT_GT(ticks, 0);
    int after = ticks;
    clock.now += 0.03;
    meter->set(600);  // too soon after the last refresh
    EXPECT_EQ(ticks, after);
    clock.now += 0.02;
    meter->set(600);  // due now, and 60% was never shown
    EXPECT_GT(ticks, after);
    after = ticks;
    clock.now += 0.05;
    meter->set(600);  // due, but nothing new to show
    EXPECT_EQ(ticks, after);
    meter->set(1000);  // the end is always shown
    EXPECT_GT(ticks, after);
}

TEST_F(Popups, APopupSitsOverTheControlRectangleAndItsGuardHoldsWhileItsStartUpRuns) {
    auto* say = dlg.add<TSay>(SayOptions{.rect = {30, 40, 150, 40}, .text = "celda"});
    Picture red(60, 14, colors::red);
    int runs = 0;
    harness.onNextModal([&](WindowView& base) {
        SysRefresh();
        TDialog popup(DialogOptions{
            .width = 1, .height = 1, .units = Units::Pixels, .popup = true, .parent = &dlg});
        popup.setBackgroundPicture(red);
        popup.placeOver(*say, Rect{5, 20, 60, 14});
        bool running = true;
        popup.bValid = [&](TDialog&) { return !running; };
        harness.onNextModal([&](WindowView& v) {
            // The user tries to leave while the start-up action still runs.
            v.key(Key::Escape);
            v.close();
            EXPECT_TRUE(v.visible());
            Picture shot = base.grabWithPopups();
            EXPECT_EQ(shot.at(40 + 20 + 1, 30 + 5 + 1), colors::red);
            EXPECT_EQ(shot.at(40 + 20 + 59, 30 + 5 + 13), colors::red);
            EXPECT_NE(shot.at(40 + 20 + 61, 30 + 5 + 1), colors::red);
        });
        int result =
            popup.activate(ActivateOptions{.centered = false, .onShown = [&](TDialog& d) {
                                               ++runs;
                                               EXPECT_TRUE(d.active());
                                               EXPECT_EQ(d.width(), 60);
                                               for (int i = 0; i < 5; ++i)
                                                   SysRefresh();  // the harness acts meanwhile
                                               EXPECT_FALSE(d.end(1));
                                               running = false;
                                               EXPECT_TRUE(d.end(7));
                                           }});
        EXPECT_EQ(result, 7);
        dlg.end();
    });
    dlg.activate();
    EXPECT_EQ(runs, 1);
}

}  // namespace
