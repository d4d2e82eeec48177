// Message boxes, the busy box and the run-time error dialog, answered through the harness.
#include "MsgBox.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "Dialog.h"
#include "ErrorDialog.h"
#include "GuiHarness.h"

namespace {

class MessageBoxes : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
};

TEST_F(MessageBoxes, YesNoQuestionsAnswerByButtonAndEscapeMeansNo) {
    struct Row {
        bool noFirst;
        std::function<void(WindowView&)> act;
        bool expected;
        const char* focused;
    };
    const Row rows[] = {
        {false, [](WindowView& v) { v.press("&Sí"); }, true, "&Sí"},
        {false, [](WindowView& v) { v.press("&No"); }, false, "&Sí"},
        {false, [](WindowView& v) { v.key(Key::Escape); }, false, "&Sí"},
        {true, [](WindowView& v) { v.press("Sí"); }, true, "&No"},
        {true, [](WindowView& v) { v.key(Key::Enter); }, false, "&No"},
    };
    for (const Row& r : rows) {
        std::string focused, title;
        std::vector<std::string> labels;
        harness.onNextModal([&](WindowView& v) {
            focused = v.focusedCaption();
            title = v.title();
            labels = v.labels();
            r.act(v);
        });
        bool answer = r.noFirst ? MsgNoYes("¿ Quieres terminar ?", " Atención")
                                : MsgYesNo("¿ Quieres terminar ?", " Atención");
        EXPECT_EQ(answer, r.expected);
        EXPECT_EQ(focused, r.focused);
        EXPECT_EQ(title, " Atención");
        EXPECT_NE(std::find(labels.begin(), labels.end(), "¿ Quieres terminar ?"), labels.end());
    }
}

TEST_F(MessageBoxes, AlertAndInfoHaveOneAcceptButton) {
    for (auto show : {+[] { MsgAlert("cuidado"); }, +[] { MsgInfo("listo"); }}) {
        std::vector<std::string> buttons;
        harness.onNextModal([&](WindowView& v) {
            buttons = v.buttons();
            v.press("&Aceptar");
        });
        show();
        EXPECT_EQ(buttons, std::vector<std::string>{"&Aceptar"});
    }
}

TEST_F(MessageBoxes, BusyBoxShowsWhileTheActionRunsAndClosesAfter) {
    std::vector<std::string> labels;
    std::string title;
    bool visibleDuringAction = false;
    harness.onNextModal([&](WindowView& v) {
        labels = v.labels();
        title = v.title();
    });
    Value r = MsgRun("Registro 3 de VOTOS", "Intentado bloquear registro", [&] {
        auto box = GuiHarness::window("Intentado bloquear registro");
        visibleDuringAction = box && box->visible() && box->modal();
        return Value(42);
    });
    EXPECT_EQ(r.num(), 42);
    EXPECT_TRUE(visibleDuringAction);
    EXPECT_EQ(labels, std::vector<std::string>{"Registro 3 de VOTOS"});
    EXPECT_EQ(title, "Intentado bloquear registro");
    EXPECT_FALSE(GuiHarness::window("Intentado bloquear registro"));

    // An action that unwinds still closes the box.
    harness.onNextModal([](WindowView&) {});
    EXPECT_THROW(MsgRun("x", "Caja", []() -> Value { throw std::runtime_error("falla"); }),
                 std::runtime_error);
    EXPECT_FALSE(GuiHarness::window("Caja"));
}

// Boxes are dialogs: a close button and no minimise or maximise button; a title shows
// whole, and no title shows as an empty bar rather than the program's name.
TEST_F(MessageBoxes, TitleBarsOfDialogsShowTheWholeTitleOrNone) {
    const std::string longTitle = " Error al bloquear el registro 1234 de la tabla de votos de la sección 0567";
    struct Row {
        const char* name;
        std::function<void(const std::string&)> show;
        const char* press;  // nullptr: the box closes by itself
    };
    const Row rows[] = {
        {"alert", [](const std::string& t) { MsgAlert("cuidado", t); }, "&Aceptar"},
        {"info", [](const std::string& t) { MsgInfo("listo", t); }, "&Aceptar"},
        {"question", [](const std::string& t) { MsgYesNo("¿ Seguro ?", t); }, "&No"},
        {"busy", [](const std::string& t) { MsgRun("Registro 2 de VOTOS", t, [] { return Value(); }); }, nullptr},
    };
    for (const Row& r : rows)
        for (const std::string& title : {longTitle, std::string()}) {
            WindowView::TitleBar bar;
            std::string shownTitle;
            int width = 0;
            harness.onNextModal([&](WindowView& v) {
                bar = v.titleBar();
                shownTitle = v.title();
                width = v.width();
                if (r.press) v.press(r.press);
            });
            r.show(title);
            EXPECT_TRUE(bar.close) << r.name;
            EXPECT_FALSE(bar.minimize) << r.name;
            EXPECT_FALSE(bar.maximize) << r.name;
            EXPECT_EQ(shownTitle, title) << r.name;
            if (title.empty()) {
                EXPECT_FALSE(bar.text.empty()) << r.name;  // an empty one would show the program's name
                EXPECT_EQ(bar.text.find_first_not_of(' '), std::string::npos) << r.name;
            } else {
                EXPECT_EQ(bar.text, title) << r.name;
                EXPECT_GE(width, titleBarWidth(title)) << r.name;
            }
        }
}

TEST_F(MessageBoxes, ErrorDialogShowsTheRecordAndOffersWhatItsFlagsAllow) {
    struct Row {
        bool canRetry, canDefault;
        std::vector<std::string> buttons;
        const char* press;
        ErrorAction expected;
    };
    const Row rows[] = {
        {true, true, {"&Reintentar", "&Continuar", "&Salir"}, "&Reintentar", ErrorAction::Retry},
        {false, true, {"&Continuar", "&Salir"}, "&Continuar", ErrorAction::Default},
        {false, false, {"&Salir"}, nullptr, ErrorAction::Default},
    };
    for (const Row& r : rows) {
        ErrorRecord rec = makeError(EG_OPEN, 1003, "DBFCDX", "DBUSEAREA");
        rec.fileName = "datos/casillas.dbf";
        rec.canRetry = r.canRetry;
        rec.canDefault = r.canDefault;
        std::string text;
        std::vector<std::string> buttons;
        harness.onNextModal([&](WindowView& v) {
            for (auto& l : v.labels()) text += l;
            buttons = v.buttons();
            if (r.press)
                v.press(r.press);
            else
                v.key(Key::Escape);
        });
        EXPECT_EQ(showErrorDialog(rec), r.expected);
        EXPECT_EQ(buttons, r.buttons);
        for (const char* part :
             {"DBFCDX/1003", "Open error", "21", "datos/casillas.dbf", "DBUSEAREA"})
            EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
    }
    // Installed as the handler, it answers the layer's raiseError.
    ErrorHandler previous = installErrorDialog();
    harness.onNextModal([](WindowView& v) { v.press("&Reintentar"); });
    ErrorRecord rec = makeError(EG_LOCK, 1010, "ARRAYRDD");
    rec.canRetry = true;
    EXPECT_EQ(raiseError(rec), ErrorAction::Retry);
    setErrorHandler(previous);
}

}  // namespace
