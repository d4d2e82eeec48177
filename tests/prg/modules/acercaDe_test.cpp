// The about box: the splash that refuses to close until told, the menu's box that closes
// on a click, a key or after ten seconds, remembered texts, the picture and the layout.
#include "acercaDe.h"

#include <gtest/gtest.h>

#include "GuiHarness.h"
#include "System.h"
#include "dtot.h"

namespace {

class AboutBox : public ::testing::Test {
  protected:
    void SetUp() override { forgetAcercaDeSettings(); }
    void TearDown() override {
        setUrlOpenerForTests(nullptr);
        EXPECT_TRUE(harness.unexpected().empty());
    }
    GuiHarness harness;
};

// The start-up splash as the program shows it.
std::unique_ptr<acercaDeClass> showSplash(bool* initRan = nullptr) {
    return ACERCADE(
        {.program = Value("Urnalia"),
         .line1 = Value("España"),
         .line2 = Value("2011"),
         .line3 = Value("Conteo de votos"),
         .line4 = Value(DTOT(Value(Date::fromYmd(2011, 11, 18)), Value("dd de mmmm de yyyy "))),
         .year = Value("2011"),
         .showMail = Value(false),
         .init = [initRan](acercaDeClass& box) {
             if (initRan) *initRan = true;
             for (TSay* l : {box.oLinea1, box.oLinea2, box.oLinea3, box.oLinea4})
                 l->setColors(8323105);
         }});
}

TEST_F(AboutBox, SplashRefusesToCloseUntilItsCheckIsCleared) {
    TestClock clock(1321615800.0, 0.25);
    bool initRan = false;
    auto splash = showSplash(&initRan);
    ASSERT_TRUE(splash);
    EXPECT_TRUE(initRan);
    EXPECT_TRUE(splash->active());
    EXPECT_FALSE(splash->modal());
    EXPECT_TRUE(splash->popup());
    EXPECT_EQ(splash->oLinea1->textColor(), 8323105u);
    EXPECT_EQ(splash->oLinea4->text(), "18 de november de 2011 ");
    EXPECT_EQ(splash->oCopyRigth->text(), std::string("Copyright © 2011 ") + kMakerName);
    EXPECT_EQ(splash->oCorreo, nullptr);

    EXPECT_FALSE(splash->end());
    auto view = GuiHarness::window("");
    ASSERT_TRUE(view);
    view->key(Key::Escape);
    view->click(100, 100);
    EXPECT_TRUE(splash->active());

    splash->bValid = nullptr;
    EXPECT_TRUE(splash->end());
    EXPECT_FALSE(splash->active());
}

TEST_F(AboutBox, TheMenusBoxShowsTheSplashTextsAndClosesOnAClickOrAKey) {
    TestClock clock(1321615800.0, 0.001);
    auto splash = showSplash();
    splash->bValid = nullptr;
    splash->end();
    for (bool byKey : {false, true}) {
        std::vector<std::string> labels;
        bool modal = false;
        harness.onNextModal([&](WindowView& v) {
            labels = v.labels();
            modal = v.modal();
            if (byKey)
                v.key(Key::Other);
            else
                v.click(300, 200);
        });
        auto box = ACERCADE({.autoClose = Value(true)});
        EXPECT_TRUE(modal);
        EXPECT_FALSE(box->active());
        ASSERT_GE(labels.size(), 7u);
        EXPECT_EQ(labels[0], "Urnalia");
        EXPECT_EQ(labels[1], "España");
        EXPECT_EQ(labels[2], "2011");
        EXPECT_EQ(labels[4], "18 de november de 2011 ");
        EXPECT_EQ(box->oLinea1->textColor(), 8323105u);  // the remembered init ran again
    }
}

TEST_F(AboutBox, TheMenusBoxClosesItselfAfterTenSeconds) {
    TestClock clock(1321615800.0, 0.0);
    double shownAt = 0;
    harness.onNextModal([&](WindowView&) {
        shownAt = clock.now;
        clock.step = 3;  // time runs only once the box is up; the box looks four times a second
    });
    auto box = ACERCADE({.autoClose = Value(true)});
    EXPECT_FALSE(box->active());
    double closedAt = clock.now - clock.step;  // the last time read
    EXPECT_GE(closedAt - shownAt, 10.0);
    EXPECT_LT(closedAt - shownAt, 10.0 + clock.step);
}

TEST_F(AboutBox, SizedToThePictureWithTheTextsWhereTheLayoutPutsThem) {
    TestClock clock(1321615800.0, 0.001);
    auto box = ACERCADE({.showMail = Value(true)});
    const int W = 471, H = 444;
    EXPECT_EQ(box->width(), W);
    EXPECT_EQ(box->height(), H);
    EXPECT_TRUE(box->hasBackgroundPicture());
    // Dialog coordinates are two pixels each.
    EXPECT_EQ(box->oPrograma->pixelRect(), (Rect{4, 0, double(W + 8), 160}));
    EXPECT_EQ(box->oLinea1->pixelRect(),
              (Rect{std::round((H / 4.0 - 16) * 2), 4, double(W - 4), 24}));
    EXPECT_EQ(box->oLinea4->pixelRect().top, std::round((H / 4.0 + 8) * 2));
    ASSERT_NE(box->oCorreo, nullptr);
    EXPECT_EQ(box->oCorreo->pixelRect().top, (H / 2 - 16) * 2);
    EXPECT_EQ(box->oPagina->pixelRect().top, std::round((H / 2.0 - 8) * 2));
    EXPECT_EQ(box->oPagina->align(), TextAlign::Right);
    EXPECT_EQ(box->oPagina->textColor(), 16711680u);
    EXPECT_EQ(box->oPagina->backColor(), std::optional<Color>(16777215));
    EXPECT_EQ(box->oPrograma->font().height(), 40);
    EXPECT_TRUE(box->oPrograma->font().italic());
    EXPECT_TRUE(box->oCopyRigth->font().bold());

    std::vector<std::string> opened;
    setUrlOpenerForTests([&](const std::string& a) {
        opened.push_back(a);
        return true;
    });
    auto view = GuiHarness::window("");
    ASSERT_TRUE(view);
    view->clickLabel(kMakerWeb);
    view->clickLabel(kMakerMail, true);
    EXPECT_EQ(opened, (std::vector<std::string>{kMakerWeb, std::string("mailto:") + kMakerMail}));
    box->bValid = nullptr;
    box->end();
}

TEST_F(AboutBox, WithoutAYearTheMakerLineShowsTheCurrentOne) {
    TestClock clock(1700000000.0, 0.001);  // 2023
    auto box = ACERCADE({.program = Value("Urnalia")});
    EXPECT_EQ(box->oCopyRigth->text(), std::string("Copyright © 2023 ") + kMakerName);
    box->bValid = nullptr;
    box->end();
    // A year once given is kept; texts not given keep theirs.
    box = ACERCADE({.year = Value(2030)});
    EXPECT_EQ(box->oCopyRigth->text(), std::string("Copyright © 2030 ") + kMakerName);
    EXPECT_EQ(box->oPrograma->text(), "Urnalia");
    box->bValid = nullptr;
    box->end();
}

}  // namespace
