// The message box: texts of values, lines of lists, maps and objects, the layout
// arithmetic, and the box itself driven through the harness.
#include <gtest/gtest.h>

#include "GuiHarness.h"
#include "aMensaje.h"

namespace {

class Casilla : public Object {
  public:
    std::string className() const override { return "CASILLA"; }
    std::vector<std::pair<std::string, Value>> members() const override {
        return {{"nVotos", Value(120)},
                {"cTipo", Value("B1")},
                {"aPartidos", Value(Array{Value(1), Value(2)})}};
    }
};

TEST(MensajeText, EveryTypeHasItsText) {
    int x = 0;
    struct Row {
        Value v;
        std::string expected;
    };
    const Row rows[] = {
        {Value(), "NIL"},
        {Value("Hola "), "Hola "},
        {Value::memo("nota"), "nota"},
        {Value(Date::fromYmd(2011, 11, 18)), "18/11/2011"},
        {Value(true), ".T."},
        {Value(false), ".F."},
        {Value(25), "25"},
        {Value(-3.5), "-3.5"},
        {Value(Array{Value(1), Value(2), Value(3)}), "{ ... (3) }"},
        {Value(Callable([](const std::vector<Value>&) { return Value(); })), "{|| ... }"},
        {Value(ObjectRef(std::make_shared<Casilla>())), "Class CASILLA object"},
        {Value::hash(), "{ => (0) }"},
    };
    for (const Row& r : rows) EXPECT_EQ(mensajeText(r.v), r.expected);
    std::string pointer = mensajeText(Value::pointer(&x));
    EXPECT_EQ(pointer.rfind("0x", 0), 0u) << pointer;
}

// Numbers show all their whole digits and never a dangling point, stars or a bare "0.":
// their own decimals when they have them, else up to ten, else (very small numbers) ten
// significant digits.
TEST(MensajeText, NumbersShowTheirDigits) {
    struct Row {
        Value v;
        const char* expected;
    };
    const Row rows[] = {
        {Value(1e20), "100000000000000000000"},
        {Value(1e35), "100000000000000000000000000000000000"},
        {Value(-1e20), "-100000000000000000000"},
        {Value(1e-11), "0.00000000001"},
        {Value(-1.2345678901234e-12), "-0.00000000000123456789"},
        {Value(0.1 + 0.2), "0.3"},
        {Value(1.0 / 3), "0.3333333333"},
        {Value(2.675), "2.675"},
        {Value(0.0), "0"},
        {Value(-0.0), "0"},
        {Value(99.999999999999), "100"},
        {Value::number(5, 10, 2), "5.00"},
        {Value::number(-1.005, 10, 2), "-1.01"},
        {Value::number(1e20, 25, 0), "100000000000000000000"},
        {Value::number(-0.001, 10, 2), "0.00"},
    };
    for (const Row& r : rows) EXPECT_EQ(mensajeText(r.v), r.expected) << r.expected;
}

TEST(MensajeLines, ListsMapsObjectsAndPlainValues) {
    std::string title = "t";
    auto lines = mensajeLines(Value(Array{Value("uno"), Value(Array{Value(1), Value(2)})}), &title);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "{ ... (2) }");
    EXPECT_TRUE(lines[0].nested.isNil());
    EXPECT_TRUE(lines[1].nested.isArray());
    EXPECT_EQ(title, "t");

    Value map = Value::hash();
    map.hashRef()->set(Value("PAN"), Value(10));
    map.hashRef()->set(Value(7), Value::hash());
    lines = mensajeLines(map);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "\"PAN\": 10");
    EXPECT_EQ(lines[1].text, "7: { => (0) }");
    EXPECT_TRUE(lines[1].nested.isHash());

    lines = mensajeLines(Value(ObjectRef(std::make_shared<Casilla>())), &title);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "aPartidos: { ... (2) }");  // alphabetical
    EXPECT_EQ(lines[1].text, "cTipo: B1");
    EXPECT_EQ(lines[2].text, "nVotos: 120");
    EXPECT_EQ(title, "CASILLA");

    lines = mensajeLines(Value(3));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "3");
}

TEST(MensajeLayout, FollowsTheBoxArithmetic) {
    // One line 100 wide, one button 50 wide, title 20 wide.
    MensajeLayout l = mensajeLayout(1, 100, 1, 50, 20);
    EXPECT_EQ(l.buttonWidth, 58);
    EXPECT_EQ(l.boxWidth, 114);                   // widest line + 14
    EXPECT_EQ(l.rowStart, (114 - 72) / 2.0 + 7);  // row width (58 + 7) * 1 + 7 = 72
    EXPECT_EQ(l.boxHeight, 60);
    EXPECT_EQ(l.lines[0], (Rect{0, 0, 57, 7.5}));
    EXPECT_EQ(l.buttons[0], (Rect{15, 28 / 2.0, 29, 10}));

    // A long title widens the box; two buttons have no single-button shift.
    l = mensajeLayout(2, 10, 2, 30, 200);
    EXPECT_DOUBLE_EQ(l.boxWidth, 200 * 1.15 + 40);
    EXPECT_DOUBLE_EQ(l.rowStart, (270 - 97) / 2.0);  // row width (38 + 7) * 2 + 7 = 97
    EXPECT_EQ(l.lines[1].top, 7.5);
    EXPECT_EQ(l.buttons[1].left, (l.rowStart + 38 + 14) / 2);
    EXPECT_EQ(l.buttons[1].top, 22.5);

    // Many buttons: the button row sets the width.
    l = mensajeLayout(0, 0, 5, 40, 0);
    EXPECT_EQ(l.boxWidth, (48 + 7) * 5 + 7 + 8);
    EXPECT_EQ(l.boxHeight, 45);
}

class Boxes : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(Boxes, ATextShowsOneLineAndAcceptOrEscape) {
    std::vector<std::string> labels, buttons;
    harness.onNextModal([&](WindowView& v) {
        labels = v.labels();
        buttons = v.buttons();
        v.press(" &Aceptar ");
    });
    EXPECT_EQ(MENSAJE({.value = Value("Hola")}), 1);
    EXPECT_EQ(labels, std::vector<std::string>{"Hola"});
    EXPECT_EQ(buttons, std::vector<std::string>{" &Aceptar "});

    harness.onNextModal([](WindowView& v) { v.key(Key::Escape); });
    EXPECT_EQ(MENSAJE({.value = Value("Hola")}), 0);
    harness.onNextModal([](WindowView& v) { v.close(); });
    EXPECT_EQ(MENSAJE({.value = Value("Hola")}), 0);
}

TEST_F(Boxes, CanCloseFalseLeavesOnlyTheButtons) {
    harness.onNextModal([](WindowView& v) {
        v.key(Key::Escape);
        v.close();
        EXPECT_TRUE(v.visible());
        v.press("No");
    });
    EXPECT_EQ(MENSAJE({.value = Value("¿Seguro?"),
                       .buttons = Array{Value("Sí"), Value("No")},
                       .canClose = false}),
              2);
}

TEST_F(Boxes, TheDefaultButtonTakesTheFocusAndBadNumbersMeanTheFirst) {
    struct Row {
        Value defaultButton;
        const char* focused;
    };
    for (const Row& r : {Row{Value(), "Uno"}, Row{Value(0), "Uno"}, Row{Value(4), "Uno"},
                         Row{Value("2"), "Uno"}, Row{Value(2), "Dos"}, Row{Value(3), "Tres"}}) {
        std::string focused;
        harness.onNextModal([&](WindowView& v) {
            focused = v.focusedCaption();
            v.key(Key::Enter);
        });
        int answer = MENSAJE({.value = Value("x"),
                              .buttons = Array{Value("Uno"), Value("Dos"), Value("Tres")},
                              .defaultButton = r.defaultButton});
        EXPECT_EQ(focused, r.focused) << r.defaultButton.toText();
        EXPECT_EQ(answer, focused == "Uno" ? 1 : focused == "Dos" ? 2 : 3);
    }
}

TEST_F(Boxes, TitlesSizesAndPositionsFollowTheLayout) {
    TFont font("DejaVu Sans", 0, 13);
    std::optional<Rect> line, button;
    int width = 0, height = 0;
    std::string title;
    harness.onNextModal([&](WindowView& v) {
        title = v.title();
        width = v.width();
        height = v.height();
        line = v.controlRect("una línea de texto");
        button = v.controlRect("Aceptar");
        v.press("Aceptar");
    });
    MENSAJE({.value = Value("una línea de texto"),
             .buttons = Value("Aceptar"),
             .title = Value(25),
             .font = &font});
    MensajeLayout l = mensajeLayout(1, font.textWidth("una línea de texto"), 1,
                                    font.textWidth("Aceptar"), font.textWidth("25"));
    EXPECT_EQ(title, "25");
    EXPECT_EQ(width, int(l.boxWidth + 0.5));
    EXPECT_EQ(height, 60);
    ASSERT_TRUE(line && button);
    EXPECT_EQ(line->width, width);  // box width / 2 dialog units
    EXPECT_EQ(line->height, 15);
    EXPECT_EQ(button->top, 30);
    EXPECT_NEAR(button->left, l.rowStart, 1);
    EXPECT_NEAR(button->left + button->width / 2, width / 2.0, 1);  // a single button is centred
}

TEST_F(Boxes, NestedListsOpenDrillDownBoxesTitledWithTheirPath) {
    Value inner = Value(Array{Value("a"), Value(Array{Value("b1"), Value("b2")})});
    Value outer = Value(Array{Value("primero"), inner});
    std::vector<std::string> firstLevel, secondLevel;
    std::string firstTitle, secondTitle;
    bool drillDownModal = true;
    harness.onNextModal([&](WindowView& v) {
        EXPECT_EQ(v.labels(), (std::vector<std::string>{"primero", "{ ... (2) }"}));
        EXPECT_FALSE(v.doubleClickLabel("primero") &&
                     GuiHarness::window("1"));  // a plain line opens nothing
        ASSERT_TRUE(v.doubleClickLabel("{ ... (2) }"));
        auto box = GuiHarness::window("2");
        ASSERT_TRUE(box);
        drillDownModal = box->modal();
        firstLevel = box->labels();
        firstTitle = box->title();
        ASSERT_TRUE(box->doubleClickLabel("{ ... (2) }"));
        auto nested = GuiHarness::window("2,2");
        ASSERT_TRUE(nested);
        secondLevel = nested->labels();
        secondTitle = nested->title();
        // A drill-down box's button only closes it: the parent's answer is untouched.
        nested->press(" &Aceptar ");
        EXPECT_FALSE(nested->visible());
        v.press(" &Aceptar ");
    });
    EXPECT_EQ(MENSAJE({.value = outer}), 1);
    EXPECT_FALSE(drillDownModal);
    EXPECT_EQ(firstTitle, "2");
    EXPECT_EQ(firstLevel, (std::vector<std::string>{"a", "{ ... (2) }"}));
    EXPECT_EQ(secondTitle, "2,2");
    EXPECT_EQ(secondLevel, (std::vector<std::string>{"b1", "b2"}));
    EXPECT_FALSE(GuiHarness::window("2"));  // closed with their parent
}

TEST_F(Boxes, ObjectsShowTheirMembersUnderTheClassName) {
    Value obj = Value(ObjectRef(std::make_shared<Casilla>()));
    std::vector<std::string> drillLabels;
    harness.onNextModal([&](WindowView& v) {
        EXPECT_EQ(v.title(), "");
        ASSERT_TRUE(v.doubleClickLabel("Class CASILLA object"));
        if (auto box = GuiHarness::window("CASILLA")) drillLabels = box->labels();
        v.key(Key::Escape);
    });
    EXPECT_EQ(MENSAJE({.value = Value(Array{obj})}), 0);
    EXPECT_EQ(drillLabels,
              (std::vector<std::string>{"aPartidos: { ... (2) }", "cTipo: B1", "nVotos: 120"}));

    std::string title;
    harness.onNextModal([&](WindowView& v) {
        title = v.title();
        v.key(Key::Escape);
    });
    MENSAJE({.value = obj, .title = Value("ignorado")});
    EXPECT_EQ(title, "CASILLA");
}

}  // namespace
