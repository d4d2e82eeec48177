// The framework's entry field and the radio-button box, in real dialogs driven by the
// harness: focus colours and their defaults, caret shapes, no context menu, leaving an
// invalid field with Up held, and the box's answers and layout.
#include "tGetFer.h"

#include <gtest/gtest.h>

#include "App.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "RadMenu.h"
#include "menuRadi.h"

namespace {

constexpr Color kLightCyan = RGB(128, 255, 255);

class EntryField : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_TRUE(harness.unexpected().empty());
        setKeyboardForTests(nullptr);
        tGetFer::setColorDefault(0, kLightCyan);
    }
    void run(std::function<void(WindowView&)> steps) {
        harness.onNextModal([this, steps](WindowView& v) {
            SysRefresh();  // the dialog becomes the active window
            steps(v);
            dlg.end(0);
        });
        dlg.activate();
    }
    tGetFer* field(Value& v, const std::string& picture = "", std::optional<Color> fore = {},
                   std::optional<Color> back = {}) {
        double top = 5 + 14 * double(dlg.controls().size());
        return dlg.add<tGetFer>(GetOptions{.rect = {top, 40, 70, 11},
                                           .binding = GetBinding::to(v),
                                           .picture = picture,
                                           .textColor = fore,
                                           .backColor = back});
    }
    GuiHarness harness;
    TDialog dlg{DialogOptions{.title = "Captura", .width = 260, .height = 110}};
};

TEST_F(EntryField, FocusColoursComeFromTheDefaultsAtCreation) {
    Value a("uno"), b("dos"), c("tres");
    tGetFer* red = field(a, "", RGB(255, 0, 0), RGB(255, 255, 0));
    tGetFer::setColorDefault(RGB(0, 0, 255), RGB(255, 255, 255));
    tGetFer* later = field(b);
    tGetFer* plain = field(c);
    plain->setColorGot(RGB(1, 2, 3), RGB(4, 5, 6));
    EXPECT_EQ(red->nClrForeGot, 0u);
    EXPECT_EQ(red->nClrBackGot, kLightCyan);
    EXPECT_EQ(later->nClrBackGot, RGB(255, 255, 255));
    EXPECT_EQ(later->textColor(), colors::black);  // no colours given: window text on window
    EXPECT_EQ(later->backColor(), colors::white);
    run([&](WindowView&) {
        red->setFocus();
        EXPECT_EQ(red->textColor(), colors::black);
        EXPECT_EQ(red->backColor(), kLightCyan);
        plain->setFocus();
        EXPECT_EQ(red->textColor(), RGB(255, 0, 0));
        EXPECT_EQ(red->backColor(), RGB(255, 255, 0));
        EXPECT_EQ(plain->backColor(), RGB(4, 5, 6));
    });
}

TEST_F(EntryField, TheCaretShowsInsertOrOverwrite) {
    Value a("abcd");
    tGetFer* get = field(a);
    int h = get->charHeight();
    bool shift = false, control = false;
    setKeyboardForTests([&](Key k) { return (k == Key::Shift && shift) || (k == Key::Control && control); });
    run([&](WindowView&) {
        get->setFocus();
        EXPECT_TRUE(get->caretShown());
        EXPECT_EQ((std::pair{get->caretWidth(), get->caretHeight()}), (std::pair{2, h - 1}));
        get->keyDown(45, 0);
        EXPECT_FALSE(get->insertMode());
        EXPECT_EQ((std::pair{get->caretWidth(), get->caretHeight()}), (std::pair{6, h}));
        shift = true;  // Shift+Insert and Control+Insert are the clipboard's
        get->keyDown(45, 0);
        shift = false, control = true;
        get->keyDown(45, 0);
        EXPECT_FALSE(get->insertMode());
        EXPECT_EQ(get->caretWidth(), 6);
        control = false;
        get->keyDown(45, 0);
        EXPECT_EQ((std::pair{get->caretWidth(), get->caretHeight()}), (std::pair{2, h - 1}));
        get->bKeyDown = [](TGet&, int, int) { return false; };  // a callable of its own: no reshaping
        get->keyDown(45, 0);
        EXPECT_FALSE(get->insertMode());
        EXPECT_EQ(get->caretWidth(), 2);
    });
}

TEST_F(EntryField, NoContextMenuAndTheToolkitsClassName) {
    Value a("x");
    tGetFer* get = field(a);
    run([&](WindowView&) { EXPECT_EQ(get->handleEvent(kContextMenuMessage, 0, 0), 0); });
    EXPECT_EQ(get->className(), "TGET");
    // harness.unexpected() stays empty: no menu showed
}

// The framework's field leaves what it was not given to edit as it was, and shows a
// negative number with its sign by the digits.
TEST_F(EntryField, AnUntouchedFieldLeavesItsVariableExactly) {
    struct Row {
        Value start;
        const char* picture;
        const char* shown;
    };
    const Row rows[] = {
        {Value(1234567), "999,999.99", "**********"},
        {Value(1.235), "99.99", " 1.24"},
        {Value(-123.45), "999,999.99", "   -123.45"},
    };
    Value vars[] = {rows[0].start, rows[1].start, rows[2].start};
    std::vector<tGetFer*> gets;
    for (size_t i = 0; i < std::size(rows); ++i) gets.push_back(field(vars[i], rows[i].picture));
    Value typed(-123.45), other("");
    tGetFer* edited = field(typed, "999,999.99");
    tGetFer* last = field(other);
    run([&](WindowView& v) {
        for (tGetFer* g : gets) {
            g->setFocus();
            SysRefresh();
        }
        edited->setFocus();
        SysRefresh();
        v.type("-5");
        last->setFocus();
        SysRefresh();
    });
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(gets[i]->text(), rows[i].shown);
        EXPECT_EQ(vars[i].num(), rows[i].start.num()) << rows[i].picture;
        EXPECT_EQ(vars[i].numWidth(), rows[i].start.numWidth()) << rows[i].picture;
    }
    EXPECT_EQ(typed.num(), -5);
    EXPECT_EQ(edited->text(), "     -5.00");
}

TEST_F(EntryField, UpHeldLetsTheFocusLeaveAnInvalidField) {
    Value a("  "), b("  ");
    tGetFer* first = field(a, "!9");
    first->bValid = [](TGet& g) { return g.value().text() != "  "; };
    tGetFer* second = field(b, "!9");
    bool up = false;
    setKeyboardForTests([&](Key k) { return k == Key::Up && up; });
    run([&](WindowView& v) {
        first->setFocus();
        second->setFocus();
        SysRefresh();
        EXPECT_TRUE(first->hasFocus());
        up = true;
        second->setFocus();
        SysRefresh();
        EXPECT_TRUE(second->hasFocus());
        up = false;
        v.type("b7x");
        EXPECT_EQ(second->text(), "B7");
    });
}

TEST_F(EntryField, UpHeldLeavesAnImpossibleDateUntypedAndShowsTheKeptOne) {
    Value day(Date::fromYmd(2011, 11, 18)), other("  ");
    tGetFer* date = field(day);
    tGetFer* second = field(other, "!9");
    bool up = false;
    setKeyboardForTests([&](Key k) { return k == Key::Up && up; });
    run([&](WindowView& v) {
        date->setFocus();
        SysRefresh();
        v.type("3102");
        up = true;
        second->setFocus();
        SysRefresh();
        EXPECT_TRUE(second->hasFocus());
        EXPECT_EQ(date->text(), "18/11/2011");
    });
    EXPECT_EQ(day.date(), Date::fromYmd(2011, 11, 18));
}

TEST_F(EntryField, AGrabShowsTheFocusedField) {
    Value a("PRI"), b(1234.5), c("A1");
    field(a, "@!");
    tGetFer* amount = field(b, "@ZE 9999,999.99");
    field(c, "!9", RGB(0, 0, 128), RGB(255, 255, 224));
    Picture grabbed;
    run([&](WindowView& v) {
        amount->setFocus();
        SysRefresh();
        grabbed = v.grab();
        v.grab("/tmp/tgetfer_dialog.png");
    });
    Rect r = amount->pixelRect();
    // Inside the focused field, away from its text: light cyan.
    EXPECT_EQ(grabbed.at(int(r.right()) - 3, int(r.top) + 2), kLightCyan);
}

TEST(MenuRadioLayout, ArithmeticFromMeasuredWidths) {
    struct Row {
        int optionWidth;
        std::vector<int> captions;
        int count;
        double boxWidth, boxHeight, start, radioCol, buttonRow;
    };
    const Row rows[] = {
        // two buttons of 50: row (58+7)*2+7 = 137 beats 40+60
        {40, {50, 46}, 3, 137, 119.5, 0, (137 - 40) / 44.0 - 0.1, 45.5},
        // a wide option: 200+60 = 260, row centred
        {200, {50, 46, 40}, 1, 260, 66.5, (260 - 202) / 2.0, 60 / 44.0 - 0.1, 19.5},
    };
    for (const auto& r : rows) {
        MenuRadioLayout l = menuRadioLayout(r.optionWidth, r.captions, r.count);
        EXPECT_DOUBLE_EQ(l.boxWidth, r.boxWidth);
        EXPECT_DOUBLE_EQ(l.boxHeight, r.boxHeight);
        EXPECT_DOUBLE_EQ(l.start, r.start);
        EXPECT_DOUBLE_EQ(l.radioCol, r.radioCol);
        EXPECT_DOUBLE_EQ(l.buttonRow, r.buttonRow);
        ASSERT_EQ(l.buttonCols.size(), r.captions.size());
        EXPECT_DOUBLE_EQ(l.buttonCols[1] - l.buttonCols[0], (l.buttonWidth + 14) / 2);
    }
}

class MenuRadio : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(MenuRadio, AnswersTheChoiceOrMinusOne) {
    Value reports(Array{Value("Casillas"), Value("Votos"), Value("Resumen")});
    harness.onNextModal([](WindowView& v) {
        EXPECT_EQ(v.title(), "Reportes");
        EXPECT_EQ(v.buttons(), (std::vector<std::string>{"Casillas", "Votos", "Resumen", " &Aceptar ", " &Cancelar "}));
        v.press("Aceptar");
    });
    EXPECT_EQ(MENURADIOBUTTON({reports, Value(1), "Reportes", Value()}), 1);

    harness.onNextModal([](WindowView& v) {
        v.press("Resumen");
        v.press("Aceptar");
    });
    EXPECT_EQ(MENURADIOBUTTON({reports, Value(1), "Reportes", Value()}), 3);

    harness.onNextModal([](WindowView& v) { v.key(Key::Escape); });
    EXPECT_EQ(MENURADIOBUTTON({reports, Value(2), "Reportes", Value()}), -1);
    harness.onNextModal([](WindowView& v) { v.press("Cancelar"); });
    EXPECT_EQ(MENURADIOBUTTON({reports, Value(2), "Reportes", Value()}), -1);
    harness.onNextModal([](WindowView& v) { v.close(); });
    EXPECT_EQ(MENURADIOBUTTON({reports, Value(2), "Reportes", Value()}), -1);
}

TEST_F(MenuRadio, OneTextOneButtonAndHelp) {
    int topic = 0;
    setMenuRadioHelp([&](int t) { topic = t; });
    harness.onNextModal([](WindowView& v) {
        EXPECT_EQ(v.buttons(), (std::vector<std::string>{"Solo", " &Aceptar ", " &Cancelar ", " A&yuda "}));
        v.press("Ayuda");
        v.press("Aceptar");
    });
    EXPECT_EQ(MENURADIOBUTTON({Value("Solo"), Value(), "Uno", Value(12)}), 1);
    EXPECT_EQ(topic, 12);
    setMenuRadioHelp(nullptr);

    // An empty list is one empty entry, and then nothing is chosen at first.
    harness.onNextModal([](WindowView& v) { v.press("Aceptar"); });
    EXPECT_EQ(MENURADIOBUTTON({Value(Array{}), Value(), "Vacío", Value()}), 0);
}

}  // namespace
