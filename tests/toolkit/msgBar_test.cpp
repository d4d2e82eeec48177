// Status bars and tab rows: docking at the bottom under the client, the default message
// and the status messages of menu items and bar buttons, items at the right edge, and tab
// rows that call their action only when the user picks a tab.
#include <gtest/gtest.h>

#include <cstdlib>

#include "App.h"
#include "Bar.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "Menu.h"
#include "MsgBar.h"
#include "Tabs.h"
#include "TopWindow.h"

namespace {

constexpr Color kWhite = 16777215, kGrey = 8421504;

// Saves a grab under $URNALIA_SHOT_DIR when set (for looking at it), and answers it.
Picture shot(const WindowView& view, const char* name) {
    if (const char* dir = std::getenv("URNALIA_SHOT_DIR")) view.grab(std::string(dir) + "/" + name);
    return view.grab();
}

class StatusBars : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(StatusBars, DockAtTheBottomOfWindowsAndDialogsAndTheClientStaysBetweenTheBars) {
    TWindow w(WindowOptions{.title = "w", .width = 400, .height = 200});
    TDialog d(DialogOptions{.title = "d", .width = 300, .height = 150});
    w.activate();
    d.activate(ActivateOptions{.modal = false});
    SysRefresh();
    for (TWindowBase* base : {static_cast<TWindowBase*>(&w), static_cast<TWindowBase*>(&d)}) {
        SCOPED_TRACE(base->title());
        TSay* client = base->add<TSay>(SayOptions{.text = "browse"});
        base->setClient(client);
        TBar* bar = base->add<TBar>();
        TMsgBar* msg = base->add<TMsgBar>(MsgBarOptions{.msgDef = "listo"});
        EXPECT_EQ(base->msgBar(), msg);
        const double W = base->width(), H = base->height(), h = msg->barHeight();
        EXPECT_EQ(msg->pixelRect(), (Rect{H - h, 0, W, h}));
        EXPECT_EQ(client->pixelRect(), (Rect{36, 0, W, H - 36 - h}));
        // A second bottom bar goes above the first.
        TSay* second = base->add<TSay>(SayOptions{.rect = {0, 0, 10, 10}, .text = "x"});
        base->dockBottom(second);
        const double sh = second->pixelRect().height;
        EXPECT_EQ(second->pixelRect().top, H - h - sh);
        EXPECT_EQ(client->pixelRect().height, H - 36 - h - sh);
        base->undock(second);
        base->destroyControl(bar);
        EXPECT_EQ(client->pixelRect(), (Rect{0, 0, W, H - h}));
        // A status bar that goes leaves no status bar and gives its room back.
        base->destroyControl(msg);
        EXPECT_EQ(base->msgBar(), nullptr);
        EXPECT_EQ(client->pixelRect(), (Rect{0, 0, W, H}));
        base->showStatus("nobody hears it");
    }
    w.setSize(500, 260);
    SysRefresh();
    EXPECT_EQ(w.client()->pixelRect(), (Rect{0, 0, 500, 260}));
    d.end();
    w.end();
}

TEST_F(StatusBars, TheClientOfAWindowPlacedInDialogUnitsFillsItInPixels) {
    TWindow w(WindowOptions{.title = "du", .width = 300, .height = 200, .units = Units::DialogUnits});
    w.activate();
    SysRefresh();
    TSay* client = w.add<TSay>(SayOptions{.text = "browse"});
    w.setClient(client);
    TMsgBar* msg = w.add<TMsgBar>();
    const double h = msg->barHeight();
    EXPECT_EQ(client->pixelRect(), (Rect{0, 0, 300, 200 - h}));
    EXPECT_EQ(client->rect(), (Rect{0, 0, 150, (200 - h) / 2}));
    w.end();
}

TEST_F(StatusBars, MenuItemsAndButtonsShowTheirMessagesAndTheDefaultComesBack) {
    TWindow w(WindowOptions{.title = "menus", .width = 400, .height = 200});
    TMsgBar* msg = w.add<TMsgBar>(MsgBarOptions{.msgDef = "buscar: "});
    TMenuItem *orden = nullptr, *paterno = nullptr, *plain = nullptr;
    w.setMenu(TMenu::bar([&](TMenu& m) {
        orden = m.addMenu(
            "&Orden",
            [&](TMenu& sub) {
                paterno = sub.add("Paterno", MenuItemOptions{.message = "Por apellido paterno"});
                plain = sub.add("Clave");
            },
            "Cambia el orden para la busqueda");
    }));
    TBar* bar = w.add<TBar>();
    TBtnBmp* withMessage = bar->addButton({.message = "Cerrar el catálogo"});
    TBtnBmp* without = bar->addButton({});
    w.activate();

    struct Step {
        std::function<void()> act;
        std::string shown;
    };
    const Step steps[] = {
        {[&] { orden->hover(); }, "Cambia el orden para la busqueda"},
        {[&] { paterno->hover(); }, "Por apellido paterno"},
        {[&] { plain->hover(); }, "buscar: "},  // an item without a message
        {[&] { paterno->hover(); }, "Por apellido paterno"},
        {[&] { msg->SetMsg("buscar: GAR"); }, "Por apellido paterno"},  // the default waits
        {[&] { withMessage->setHovered(true); }, "Cerrar el catálogo"},
        {[&] { withMessage->setHovered(false); }, "buscar: GAR"},
        {[&] { without->setHovered(true); }, "buscar: GAR"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i].act();
        EXPECT_EQ(msg->cMsg(), steps[i].shown) << i;
    }
    EXPECT_EQ(msg->cMsgDef(), "buscar: GAR");
    w.end();
}

TEST_F(StatusBars, PopUpMenusShowTheirMessagesInTheWindowTheyOpenOver) {
    TWindow w(WindowOptions{.title = "popup", .width = 300, .height = 200});
    TMsgBar* msg = w.add<TMsgBar>(MsgBarOptions{.msgDef = "def"});
    w.activate();
    auto menu = TMenu::popup([](TMenu& m) { m.add("&Agregar", MenuItemOptions{.message = "Agrega uno"}); });
    std::string during;
    harness.onNextModal([&](WindowView& v) {
        menu->find("&Agregar")->hover();
        during = msg->cMsg();
        v.close();
    });
    menu->activate(10, 10, &w);
    EXPECT_EQ(during, "Agrega uno");
    EXPECT_EQ(msg->cMsg(), "def");  // the closed menu gave the default back
    w.end();
}

TEST_F(StatusBars, ItemsSitAtTheRightEdgeWithTheirColours) {
    TWindow w(WindowOptions{.title = "items", .width = 400, .height = 160});
    TSay* client = w.add<TSay>(SayOptions{.text = "browse", .backColor = colors::white});
    TMsgBar* msg = w.add<TMsgBar>(MsgBarOptions{.msgDef = "Buscar: GARC"});
    TMsgItem* count = msg->AddItem({.width = 65, .text = "12/4000", .textColor = kWhite, .backColor = kGrey});
    TMsgItem* other = msg->AddItem({.width = 30, .text = "x"});
    TTabs* tabs = w.add<TTabs>(TabsOptions{.prompts = {"Paterno", "Clave"}});
    w.activate();
    SysRefresh();
    // The client shortened by the tabs, and the tabs right above the status bar.
    const double tabsTop = msg->pixelRect().top - tabs->tabsHeight();
    client->move(Rect{0, 0, 400, tabsTop});
    tabs->movePixels(Rect{tabsTop, 0, 400, double(tabs->tabsHeight())});
    EXPECT_EQ(tabs->pixelRect().bottom(), msg->pixelRect().top);
    EXPECT_EQ(other->rect().right(), 400 - TMsgBar::kItemGap);
    EXPECT_EQ(count->rect().right(), other->rect().left - TMsgBar::kItemGap);
    EXPECT_EQ(count->rect().width, 65);
    count->SetText("13/4000");
    EXPECT_EQ(count->text(), "13/4000");

    auto view = GuiHarness::window("items");
    ASSERT_TRUE(view);
    Picture p = shot(*view, "statusbar.png");
    int barTop = p.height - w.height() + int(msg->pixelRect().top);
    Rect r = count->rect();
    // The counter's background is the grey asked for, away from its text and frame.
    EXPECT_EQ(p.at(int(r.right()) - 3, barTop + int(r.top) + 3), kGrey);
    w.end();
}

TEST_F(StatusBars, TabsCallTheirActionOnlyWhenTheUserPicks) {
    TWindow w(WindowOptions{.title = "tabs", .width = 400, .height = 200});
    std::vector<int> picked;
    TTabs* tabs = w.add<TTabs>(TabsOptions{.rect = {150, 0, 400, 0},
                                           .prompts = {"Paterno", "Clave", "Colonia"},
                                           .option = 2,
                                           .action = [&](int n) { picked.push_back(n); }});
    w.activate();
    SysRefresh();
    EXPECT_EQ(tabs->option(), 2);
    EXPECT_EQ(tabs->pixelRect(), (Rect{150, 0, 400, double(tabs->tabsHeight())}));
    EXPECT_GT(tabs->tabsHeight(), 10);
    EXPECT_EQ(tabs->prompts(), (std::vector<std::string>{"Paterno", "Clave", "Colonia"}));

    for (int n : {0, 4, -1}) tabs->SetOption(n);  // out of range: nothing changes
    EXPECT_EQ(tabs->option(), 2);
    tabs->SetOption(3);
    EXPECT_EQ(tabs->option(), 3);
    EXPECT_TRUE(picked.empty());

    // A click on the first tab picks it.
    auto view = GuiHarness::window("tabs");
    ASSERT_TRUE(view);
    Rect first = tabs->tabRect(1);
    int menuTop = view->height() - w.height();
    view->click(menuTop + 150 + int(first.top + first.height / 2), int(first.left + first.width / 2));
    EXPECT_EQ(tabs->option(), 1);
    EXPECT_EQ(picked, (std::vector<int>{1}));
    EXPECT_EQ(tabs->tabRect(4), Rect{});
    w.end();
}

}  // namespace
