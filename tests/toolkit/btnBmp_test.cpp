// Bitmap buttons and button bars: the bar's layout and docking, clicks by mouse and by
// code under the enabling rules, the four image slots and what each state draws.
#include <gtest/gtest.h>

#include "App.h"
#include "Bar.h"
#include "Error.h"
#include "GuiHarness.h"
#include "Resources.h"
#include "TopWindow.h"
#include "bmpCodec.h"

namespace {

constexpr Color kKey = RGB(192, 192, 192), kInk = RGB(200, 0, 0);

// A picture with a background of the key grey and one ink pixel at (1, 1).
std::string bmp(int w, int h, Color ink = kInk) {
    Picture p(w, h, kKey);
    p.set(1, 1, ink);
    auto bytes = encodeBmp24(p);
    return std::string(bytes.begin(), bytes.end());
}
std::span<const uint8_t> span(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

class BtnBmps : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
    TWindow w{WindowOptions{.title = " Barra", .width = 400, .height = 200}};
};

TEST_F(BtnBmps, BarPlacesButtonsInGroupsDocksAtTheTopAndFollowsTheWindow) {
    TSay* client = w.add<TSay>(SayOptions{.text = "browse"});
    w.setClient(client);
    TBar* bar = w.add<TBar>();
    w.activate();
    SysRefresh();
    const std::string wide = bmp(22, 22);
    struct Row {
        bool group, adjust;
        double left, width;
    };
    // Buttons 1 pixel apart from the margin; a group adds its gap; adjust fits the picture.
    const Row rows[] = {{false, false, 3, 28},
                        {true, false, 40, 28},
                        {false, true, 69, 30},
                        {true, false, 108, 28}};
    std::vector<TBtnBmp*> buttons;
    for (const Row& r : rows) {
        buttons.push_back(bar->addButton({.group = r.group, .adjust = r.adjust}));
        if (r.adjust) buttons.back()->loadBitmap(1, span(wide));
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(buttons[i]->pixelRect(), (Rect{3, rows[i].left, rows[i].width, 28})) << i;
    EXPECT_EQ(bar->separators(), (std::vector<int>{35, 103}));
    EXPECT_EQ(bar->pixelRect(), (Rect{0, 0, 400, 36}));
    EXPECT_EQ(buttons[3]->windowRect(), (Rect{3, 108, 28, 28}));
    EXPECT_EQ(client->pixelRect(), (Rect{36, 0, 400, 164}));

    w.setSize(500, 300);
    SysRefresh();
    EXPECT_EQ(bar->pixelRect().width, 500);
    EXPECT_EQ(client->pixelRect(), (Rect{36, 0, 500, 264}));

    // A button that goes leaves its place to the next one.
    buttons[1]->Destroy();
    EXPECT_EQ(bar->buttons().size(), 3u);
    EXPECT_EQ(buttons[2]->pixelRect().left, 32);
    EXPECT_EQ(w.controls().size(), 5u);

    // The bar may go before its buttons; they stay usable controls of the window.
    w.destroyControl(bar);
    EXPECT_EQ(buttons[0]->bar(), nullptr);
    EXPECT_EQ(client->pixelRect().top, 0);
    buttons[0]->Disable();
    // The client may go too; the window then lays out without it.
    EXPECT_TRUE(w.destroyControl(client));
    EXPECT_EQ(w.client(), nullptr);
    w.dockTop(buttons[0]);
    w.setSize(450, 300);
}

TEST_F(BtnBmps, ClickRunsTheActionOnlyWhenEnabledAndAllowed) {
    struct Row {
        bool enabled, allowed;
        int runs;
    };
    TBar* bar = w.add<TBar>();
    w.activate();
    auto view = GuiHarness::window(" Barra");
    ASSERT_TRUE(view);
    for (const Row& r : {Row{true, true, 2}, Row{false, true, 0}, Row{true, false, 0}}) {
        int runs = 0;
        TBtnBmp* b = bar->addButton(
            {.action = [&](TBtnBmp&) { ++runs; }, .bWhen = [&] { return r.allowed; }});
        if (!r.enabled) b->Disable();
        b->Click();
        Rect at = b->windowRect();
        view->click(int(at.top + at.height / 2), int(at.left + at.width / 2));
        EXPECT_EQ(runs, r.runs) << r.enabled << r.allowed;
        EXPECT_FALSE(b->pressed());
        b->Destroy();
    }
}

TEST_F(BtnBmps, SlotsReplaceTheirPicturesAndFreeOnlyTheirOwn) {
    TBtnBmp* b = w.add<TBtnBmp>(BtnBmpOptions{.rect = {0, 0, 30, 30}});
    std::string small = bmp(16, 16);
    ASSERT_TRUE(b->loadBitmap(1, span(small)));
    int first = b->hBitmap(1);
    int callers = CreateMemBitmap(small);
    b->setBitmap(2, callers, false);

    // Bad bytes: an error record, and the slot keeps its picture.
    int errors = 0;
    {
        ScopedErrorHandler h([&](const ErrorRecord&) {
            ++errors;
            return ErrorAction::Default;
        });
        EXPECT_FALSE(b->loadBitmap(1, span(std::string("BMnot a bitmap"))));
        EXPECT_FALSE(b->loadResource(3, "no_such_picture"));
    }
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(b->hBitmap(1), first);
    EXPECT_NE(memBitmap(first), nullptr);
    EXPECT_EQ(b->hBitmap(3), 0);

    ASSERT_TRUE(b->loadBitmap(1, span(small)));
    EXPECT_EQ(memBitmap(first), nullptr);  // its own old picture is freed
    b->setBitmap(2, 0, false);
    EXPECT_NE(memBitmap(callers), nullptr);  // the caller's is not
    EXPECT_EQ(b->hBitmap(5), 0);
    EXPECT_FALSE(b->HasAlpha(1));
    int mine = b->hBitmap(1);
    b->Destroy();
    EXPECT_EQ(memBitmap(mine), nullptr);
    DeleteMemBitmap(callers);
}

TEST_F(BtnBmps, EachStateDrawsItsPicture) {
    TBtnBmp* b = w.add<TBtnBmp>(BtnBmpOptions{.rect = {0, 0, 30, 30}});
    std::string normal = bmp(16, 16), pushed = bmp(16, 16, colors::blue);
    b->loadBitmap(1, span(normal));
    Picture p = b->currentPicture();
    EXPECT_EQ(p.at(0, 0), b->faceColor());  // the background shows the face
    EXPECT_EQ(p.at(1, 1), kInk);

    // Pressed without a pressed picture: the normal one, pushed down and right.
    b->setPressed(true);
    RecordingCanvas c;
    b->Paint(c);
    EXPECT_EQ(c.opsOf("picture"), (std::vector<std::string>{"picture 16x16 8,8 16x16"}));
    b->loadBitmap(2, span(pushed));
    EXPECT_EQ(b->currentPicture().at(1, 1), colors::blue);
    b->setPressed(false);

    // Disabled: the normal picture greyed, or the disabled picture when there is one.
    b->Disable();
    Color grey = b->currentPicture().at(1, 1);
    EXPECT_TRUE(redOf(grey) == greenOf(grey) && greenOf(grey) == blueOf(grey)) << colorText(grey);
    EXPECT_EQ(b->currentPicture().at(0, 0), b->faceColor());
    b->loadBitmap(3, span(pushed));
    EXPECT_EQ(b->currentPicture().at(1, 1), colors::blue);

    // A 32-bit picture with alpha is blended over the face: half red over the grey face.
    std::string alpha =
        std::string("BM") + std::string(52, '\0') + std::string("\x00\x00\xff\x80", 4);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) alpha[at + i] = char(v >> (8 * i));
    };
    put(2, 58), put(10, 54), put(14, 40), put(18, 1), put(22, 1);
    alpha[26] = 1, alpha[28] = 32;
    b->Enable();
    ASSERT_TRUE(b->loadBitmap(4, span(alpha)));
    EXPECT_TRUE(b->HasAlpha(4));
    b->setHovered(true);
    Color face = b->faceColor(), blended = b->currentPicture().at(0, 0);
    EXPECT_NEAR(redOf(blended), (255 * 128 + redOf(face) * 127) / 255, 1);
    EXPECT_NEAR(greenOf(blended), greenOf(face) * 127 / 255, 1);
}

}  // namespace

namespace {

TEST(BtnBmpUnits, BarButtonsAnswerTheirPlaceInTheWindowsUnits) {
    TWindow w(WindowOptions{.title = " Unidades", .units = Units::DialogUnits});
    TBar* bar = w.add<TBar>();
    TBtnBmp* b = bar->addButton({});
    EXPECT_EQ(b->pixelRect(), (Rect{3, 3, 28, 28}));
    EXPECT_EQ(b->rect(), (Rect{1.5, 1.5, 14, 14}));
}

}  // namespace
