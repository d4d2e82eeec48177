// Dialog templates: the text format (what it accepts, what it refuses and where), and
// boxes built from a template with their controls, ids and places, and the error record
// of a missing or malformed template.
#include <gtest/gtest.h>

#include <cstring>

#include "Control.h"
#include "Dialog.h"
#include "Error.h"
#include "Get.h"
#include "GuiHarness.h"
#include "Resources.h"
#include "embeddedResources.h"

namespace {

std::span<const uint8_t> bytes(const char* text) {
    return {reinterpret_cast<const uint8_t*>(text), std::strlen(text)};
}

TEST(DialogTemplates, ParseEveryKindAndOption) {
    const char* text =
        "# a comment\n"
        "\n"
        "dialog \"Título \\\"uno\\\"\" 200 100   # trailing comment\r\n"
        "label  -1  5 6 40 10 \"&Nombre:\" right\n"
        "get    101 5 50 80 12 \"C:\\\\\" picture \"@!\"\n"
        "button 1   80 10 50 14 \"&Aceptar\" default\n"
        "button 2   80 70 50 14 \"&Cancelar\"\n"
        "browse 110 20 5 190 50\n"
        "tabs   111 72 5 190 8\n"
        "btnbmp 105 5 140 18 14\n"
        "custom 102 40 5 50 10 \"&Serie\"\n";
    DialogTemplate t;
    ASSERT_TRUE(parseDialogTemplate(text, t).ok());
    EXPECT_EQ(t.title, "Título \"uno\"");
    EXPECT_EQ(t.width, 200);
    EXPECT_EQ(t.height, 100);
    ASSERT_EQ(t.items.size(), 8u);
    EXPECT_EQ(t.items[0], (DlgItem{.kind = DlgKind::Label, .id = -1, .rect = {5, 6, 40, 10}, .text = "&Nombre:", .align = TextAlign::Right}));
    EXPECT_EQ(t.items[1].text, "C:\\");
    EXPECT_EQ(t.items[1].picture, "@!");
    EXPECT_TRUE(t.items[2].isDefault);
    EXPECT_FALSE(t.items[3].isDefault);
    EXPECT_EQ(t.item(110)->kind, DlgKind::Browse);
    EXPECT_EQ(t.item(111)->kind, DlgKind::Tabs);
    EXPECT_EQ(t.item(105)->kind, DlgKind::BtnBmp);
    EXPECT_EQ(t.item(102)->kind, DlgKind::Custom);
    EXPECT_EQ(t.item(999), nullptr);
    DialogTemplate back;
    ASSERT_TRUE(parseDialogTemplate(formatDialogTemplate(t), back).ok());
    EXPECT_EQ(back, t);
}

TEST(DialogTemplates, MalformedTextsAreRefusedNamingTheLine) {
    using namespace std::literals;
    const struct {
        std::string_view text;
        const char* message;
    } cases[] = {
        {""sv, "empty template"},
        {"# nothing\n"sv, "empty template"},
        {"label 1 0 0 10 10\n"sv, "line 1: the template must begin with"},
        {"dialog \"x\" 10\n"sv, "line 1: expected: dialog"},
        {"dialog x 10 10\n"sv, "line 1: expected: dialog"},
        {"dialog \"x\" 0 10\n"sv, "line 1: expected"},
        {"dialog \"x\" 10 10\nbutton 1 0 0 10\n"sv, "line 2: a control needs"},
        {"dialog \"x\" 10 10\nwidget 1 0 0 10 10\n"sv, "line 2: unknown control kind \"widget\""},
        {"dialog \"x\" 10 10\nbutton one 0 0 10 10\n"sv, "line 2: bad id \"one\""},
        {"dialog \"x\" 10 10\nbutton 1 0 0 10 -10\n"sv, "line 2: bad position or size \"-10\""},
        {"dialog \"x\" 10 10\nbutton 1 0 0 10 4001\n"sv, "line 2: bad position or size"},
        {"dialog \"x\" 10 10\nbutton 70000 0 0 10 10\n"sv, "line 2: bad id"},
        {"dialog \"x\" 10 10\nlabel 1 0 0 10 10 \"open\n"sv, "line 2: a text without its closing quote"},
        {"dialog \"x\" 10 10\nlabel 1 0 0 10 10 \"a\" default\n"sv, "line 2: unknown option \"default\" for label"},
        {"dialog \"x\" 10 10\nget 1 0 0 10 10 \"a\" picture\n"sv, "line 2: unknown option \"picture\""},
        {"dialog \"x\" 10 10\nlabel 1 0 0 10 10 \"a\" \"b\"\n"sv, "line 2: a text where an option"},
        {"dialog \"x\" 10 10\n\nbutton 7 0 0 1 1\nlabel 7 0 0 1 1\n"sv, "line 4: id 7 used twice"},
        {"dialog \"x\" 10 10\ndialog \"y\" 10 10\n"sv, "line 2: unknown control kind \"dialog\""},
        {"dialog \"x\" 10 10\nbutton 1 0 0 10 10\0\n"sv, "line 2: a NUL"},
    };
    for (const auto& c : cases) {
        DialogTemplate t;
        t.title = "left over";
        Status s = parseDialogTemplate(c.text, t);
        EXPECT_FALSE(s.ok()) << c.text;
        EXPECT_NE(s.message().find(c.message), std::string::npos) << c.text << " -> " << s.message();
        EXPECT_EQ(t, DialogTemplate{}) << c.text;
    }
    // Labels may share -1 and 0; those are no ids.
    DialogTemplate t;
    EXPECT_TRUE(parseDialogTemplate("dialog \"x\" 9 9\nlabel -1 0 0 1 1\nlabel -1 0 0 1 1\nlabel 0 0 0 1 1\n", t).ok());
}

class TemplateBoxes : public ::testing::Test {
  protected:
    void SetUp() override {
        registerEmbeddedResources();
        registerDialogResource("test_box",
                               bytes("dialog \"Caja\" 150 80\n"
                                     "label -1 6 6 40 10 \"Nombre:\"\n"
                                     "get 100 5 50 90 12 \"Ana\"\n"
                                     "browse 110 20 6 138 30\n"
                                     "button 1 60 20 50 14 \"&Aceptar\" default\n"
                                     "button 2 60 80 50 14 \"&Cancelar\"\n"));
        registerDialogResource("bad_box", bytes("dialog \"Mala\" 100 50\nbutton 1 0 0 10\n"));
    }
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(TemplateBoxes, BoxesAreBuiltWithTheTemplatesControlsAndIds) {
    TDialog d(DialogOptions{.templateName = "TEST_BOX"});
    ASSERT_TRUE(d.dialogTemplate());
    EXPECT_EQ(d.title(), "Caja");
    EXPECT_EQ(d.width(), 300);
    EXPECT_EQ(d.height(), 160);
    EXPECT_EQ(d.units(), Units::DialogUnits);
    ASSERT_TRUE(d.control(100));
    EXPECT_EQ(d.control(100)->pixelRect(), (Rect{10, 100, 180, 24}));
    EXPECT_EQ(d.control("Nombre:")->pixelRect().left, 12);
    EXPECT_EQ(d.templateValue(100)->text(), "Ana");
    // The browse's place is left for code.
    EXPECT_EQ(d.control(110), nullptr);
    EXPECT_EQ(d.templateItem(110)->rect, (Rect{20, 6, 138, 30}));
    EXPECT_EQ(d.templateItem(3), nullptr);
    // A button ends the box with its id until code gives it an action.
    harness.onNextModal([](WindowView& v) { v.press("&Cancelar"); });
    EXPECT_EQ(d.activate(), 2);
    harness.onNextModal([](WindowView& v) { v.press(1); });
    EXPECT_EQ(d.activate(), 1);
    // The options' title wins over the template's.
    TDialog titled(DialogOptions{.title = "Otra", .templateName = "test_box"});
    EXPECT_EQ(titled.title(), "Otra");
}

TEST_F(TemplateBoxes, MissingAndMalformedTemplatesAreErrorsNamingThem) {
    std::vector<ErrorRecord> errors;
    ScopedErrorHandler h([&](const ErrorRecord& r) {
        errors.push_back(r);
        return ErrorAction::Default;
    });
    TDialog missing(DialogOptions{.title = "t", .width = 120, .height = 60, .templateName = "no_such_box"});
    TDialog bad(DialogOptions{.templateName = "bad_box"});
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].fileName, "no_such_box");
    EXPECT_EQ(errors[0].description, "Dialog template not found");
    EXPECT_EQ(errors[1].fileName, "bad_box");
    EXPECT_EQ(errors[1].description, "Bad dialog template: line 2: a control needs an id, top, left, width and height");
    EXPECT_EQ(errors[1].subsystem, "TOOLKIT");
    // Both are empty boxes of the options' size.
    EXPECT_EQ(missing.dialogTemplate(), nullptr);
    EXPECT_EQ(missing.width(), 120);
    EXPECT_TRUE(missing.controls().empty());
    EXPECT_TRUE(bad.controls().empty());
    EXPECT_EQ(bad.templateItem(1), nullptr);
}

TEST_F(TemplateBoxes, TheProgramsTemplatesBuildTheirBoxesWithoutErrors) {
    int errors = 0;
    ScopedErrorHandler h([&](const ErrorRecord&) {
        ++errors;
        return ErrorAction::Default;
    });
    const struct {
        const char* name;
        const char* title;
        std::vector<int> ids;
    } boxes[] = {
        {"G_Save", "Guardar como", {100, 101, 102, 105, 110, 120}},
        {"config_tGraph", "Propiedades", {1, 2, 101, 109, 111, 113, 115, 118, 120, 121, 124, 125, 129, 131, 133,
                                          301, 302, 303, 310, 311, 312, 313, 320}},
    };
    for (const auto& b : boxes) {
        TDialog d(DialogOptions{.templateName = b.name});
        ASSERT_TRUE(d.dialogTemplate()) << b.name;
        EXPECT_EQ(d.title(), b.title);
        for (int id : b.ids) EXPECT_TRUE(d.templateItem(id)) << b.name << " " << id;
    }
    EXPECT_EQ(errors, 0);
    TDialog save(DialogOptions{.templateName = "g_save"});
    EXPECT_EQ(save.templateValue(100)->text(), "C:\\");
}

}  // namespace
