// Multiple-document windows: a frame shows controls placed in it under its children;
// children have their own menu, client, bars, close query and resize handler, and the
// frame knows which are open and which one is active.
#include <gtest/gtest.h>

#include <cstdlib>

#include "App.h"
#include "Bar.h"
#include "GuiHarness.h"
#include "Mdi.h"
#include "Menu.h"
#include "MsgBar.h"

namespace {

constexpr Color kLogo = RGB(200, 30, 30), kChild = RGB(30, 30, 200);

class Mdi : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(Mdi, TheFrameKeepsItsControlsUnderTheChildren) {
    TMdiFrame frame(WindowOptions{.title = " Marco", .width = 500, .height = 360});
    frame.setMenu(TMenu::bar([](TMenu& m) { m.add("&Archivo", [] {}); }));
    TSay* logo = frame.add<TSay>(SayOptions{.rect = {100, 150, 200, 150}, .text = "", .backColor = kLogo});
    frame.activate();
    SysRefresh();
    auto view = GuiHarness::window(" Marco");
    ASSERT_TRUE(view);
    int top = view->height() - frame.height();  // the menu bar
    // Without children the frame shows its background and the logo, as a plain window.
    TWindow plain(WindowOptions{.title = "plano", .width = 500, .height = 360});
    plain.activate();
    SysRefresh();
    Picture before = view->grab();
    EXPECT_EQ(before.at(250, top + 175), kLogo);
    EXPECT_EQ(before.at(10, top + 10), GuiHarness::window("plano")->grab().at(10, 10));
    plain.end();

    TMdiChild child(frame, MdiChildOptions{.title = "Padrón", .width = 200, .height = 120});
    TSay* client = child.add<TSay>(SayOptions{.text = "", .backColor = kChild});
    child.setClient(client);
    child.moveTo(0, 0);
    child.activate();
    SysRefresh();
    EXPECT_EQ(child.width(), 200);
    EXPECT_EQ(child.height(), 120);
    EXPECT_EQ(client->pixelRect(), (Rect{0, 0, 200, 120}));
    child.moveTo(150, 200);  // over part of the logo
    SysRefresh();
    auto seen = GuiHarness::childWindow("Padrón");
    ASSERT_TRUE(seen);
    EXPECT_FALSE(seen->grab().empty());
    Picture after = view->grab();
    if (const char* dir = std::getenv("URNALIA_SHOT_DIR")) view->grab(std::string(dir) + "/mdi.png");
    EXPECT_EQ(after.at(320, top + 290), kChild);  // the child lies over the logo
    EXPECT_EQ(after.at(160, top + 110), kLogo);   // the logo shows where no child is
    EXPECT_EQ(logo->pixelRect(), (Rect{100, 150, 200, 150}));
    child.end();
    frame.bValid = nullptr;
    frame.end();
}

TEST_F(Mdi, ChildrenCloseThroughTheirQueryAndTheFrameTracksThem) {
    TMdiFrame frame(WindowOptions{.title = "f", .width = 600, .height = 400});
    frame.activate();
    auto a = std::make_unique<TMdiChild>(frame, MdiChildOptions{.title = "a"});
    TMdiChild b(frame, MdiChildOptions{.title = "b"});
    EXPECT_TRUE(frame.openChildren().empty());
    EXPECT_EQ(frame.activeChild(), nullptr);
    a->activate();
    b.activate();
    SysRefresh();
    EXPECT_EQ(frame.openChildren(), (std::vector<TMdiChild*>{a.get(), &b}));
    EXPECT_TRUE(b.active());
    a->activate();
    EXPECT_EQ(frame.activeChild(), a.get());

    bool allow = false;
    int closed = 0;
    a->bValid = [&](TMdiChild&) { return allow; };
    a->bClosed = [&](TMdiChild&) { ++closed; };
    EXPECT_FALSE(a->end());
    EXPECT_TRUE(a->open());
    auto view = GuiHarness::childWindow("a");
    ASSERT_TRUE(view);
    view->close();  // the close box asks too
    EXPECT_TRUE(a->open());
    allow = true;
    EXPECT_TRUE(a->end());
    EXPECT_FALSE(a->open());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(frame.openChildren(), (std::vector<TMdiChild*>{&b}));
    a->activate();  // shown again after closing
    SysRefresh();
    EXPECT_TRUE(a->open());
    EXPECT_TRUE(GuiHarness::childWindow("a")->visible());
    a.reset();
    EXPECT_EQ(frame.openChildren(), (std::vector<TMdiChild*>{&b}));
    frame.end();
}

TEST_F(Mdi, ChildrenHaveMenusBarsAndTellTheirSizes) {
    TMdiFrame frame(WindowOptions{.title = "f", .width = 700, .height = 500});
    frame.activate();
    TMdiChild child(frame, MdiChildOptions{.title = "c", .width = 300, .height = 200});
    std::vector<std::array<int, 3>> sizes;
    child.bResized = [&](TMdiChild&, int type, int w, int h) { sizes.push_back({type, w, h}); };
    TSay* client = child.add<TSay>(SayOptions{.text = "browse"});
    child.setClient(client);
    TBar* bar = child.add<TBar>();
    TMsgBar* msg = child.add<TMsgBar>(MsgBarOptions{.msgDef = "def"});
    int chosen = 0;
    TMenuItem* item = nullptr;
    child.setMenu(TMenu::bar([&](TMenu& m) {
        item = m.add("&Cerrar", MenuItemOptions{.action = [&] { ++chosen; }, .message = "Cerrar el catálogo"});
    }));
    child.activate();
    SysRefresh();
    const double H = child.height();
    EXPECT_EQ(client->pixelRect(), (Rect{double(bar->barHeight()), 0, 300, H - bar->barHeight() - msg->barHeight()}));
    item->hover();
    EXPECT_EQ(msg->cMsg(), "Cerrar el catálogo");
    item->trigger();
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(frame.menu(), nullptr);  // the child's menu stays the child's

    sizes.clear();
    child.setSize(400, 250);
    SysRefresh();
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), (std::array<int, 3>{0, 400, 250}));
    EXPECT_EQ(client->pixelRect().width, 400);
    child.activate(TWindow::Show::Maximized);
    SysRefresh();
    EXPECT_TRUE(child.maximized());
    EXPECT_EQ(sizes.back()[0], 2);
    child.activate(TWindow::Show::Minimized);
    SysRefresh();
    EXPECT_TRUE(child.minimized());
    EXPECT_EQ(sizes.back()[0], 1);
    frame.end();
}

TEST_F(Mdi, AChildOutlivingItsFrameIsLeftWithoutWindows) {
    auto frame = std::make_unique<TMdiFrame>(WindowOptions{.title = "f"});
    TMdiChild child(*frame, MdiChildOptions{.title = "c"});
    child.add<TMsgBar>();
    child.activate();
    frame.reset();
    EXPECT_EQ(child.frame(), nullptr);
    EXPECT_FALSE(child.open());
    child.activate();
    EXPECT_TRUE(child.end());
}

}  // namespace
