// Entry fields and radio groups in a real dialog, driven through the harness: typing through
// pictures, the binding, validation and enabling rules, keys, the edit menu.
#include "Get.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "App.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "RadMenu.h"

namespace {

class EntryFields : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_TRUE(harness.unexpected().empty());
        setKeyboardForTests(nullptr);
    }
    // Runs `steps` inside the shown dialog, then closes it.
    void run(TDialog& dlg, std::function<void(WindowView&)> steps) {
        harness.onNextModal([&dlg, steps](WindowView& v) {
            SysRefresh();  // the dialog becomes the active window
            steps(v);
            dlg.end(0);
        });
        dlg.activate();
    }
    GuiHarness harness;
    TDialog dlg{DialogOptions{.title = "Campos", .width = 240, .height = 120}};
};

TEST_F(EntryFields, TypingIntoALetterAndDigitFieldKeepsOnlyWhatFits) {
    Value tipo("  "), other("");
    auto* get = dlg.add<TGet>(GetOptions{.rect = {5, 5, 30, 11}, .binding = GetBinding::to(tipo), .picture = "!9"});
    auto* next = dlg.add<TGet>(GetOptions{.rect = {20, 5, 60, 11}, .binding = GetBinding::to(other)});
    run(dlg, [&](WindowView& v) {
        get->setFocus();
        v.type("ab1c2");
        EXPECT_EQ(get->text(), "A1");
        next->setFocus();
        SysRefresh();
    });
    EXPECT_EQ(tipo.text(), "A1");
}

TEST_F(EntryFields, NumbersAreTypedAndWrittenBackInTheirForm) {
    Value amount(0.0);
    auto* get = dlg.add<TGet>(
        GetOptions{.rect = {5, 5, 80, 11}, .binding = GetBinding::to(amount), .picture = "9,999,999.99"});
    auto* next = dlg.add<TGet>(GetOptions{.rect = {20, 5, 60, 11}, .binding = {}});
    run(dlg, [&](WindowView& v) {
        get->setFocus();
        v.type("2345.6");
        next->setFocus();
        SysRefresh();
    });
    EXPECT_DOUBLE_EQ(amount.num(), 2345.6);
    EXPECT_EQ(get->text(), "    2,345.60");
}

// Same type, value and layout: what "left as it was" means for a variable.
void expectUnchanged(const Value& now, const Value& before, const std::string& picture) {
    EXPECT_EQ(now.type(), before.type()) << picture;
    EXPECT_EQ(now.toText(), before.toText()) << picture;
    EXPECT_EQ(now.num(), before.num()) << picture;
    EXPECT_EQ(now.numWidth(), before.numWidth()) << picture;
    EXPECT_EQ(now.numDecimals(), before.numDecimals()) << picture;
}

TEST_F(EntryFields, LeavingAFieldWithoutTypingLeavesItsVariableAsItWas) {
    struct Row {
        Value start;
        const char* picture;
        const char* shown;
    };
    const Row rows[] = {
        {Value(1234567), "999,999.99", "**********"},
        {Value(-12345), "9999", "****"},
        {Value(1.235), "99.99", " 1.24"},
        {Value(5.5), "", "       5.5"},
        {Value::number(3.5, 5, 0), "", "    4"},
        {Value("abc"), "!!", "AB"},
        {Value(-123.45), "999,999.99", "   -123.45"},
    };
    std::vector<Value> vars;
    for (const Row& r : rows) vars.push_back(r.start);
    std::vector<TGet*> gets;
    for (size_t i = 0; i < std::size(rows); ++i)
        gets.push_back(dlg.add<TGet>(GetOptions{
            .rect = {5 + 12 * double(i), 5, 80, 11}, .binding = GetBinding::to(vars[i]), .picture = rows[i].picture}));
    Value other("");
    auto* last = dlg.add<TGet>(GetOptions{.rect = {95, 5, 60, 11}, .binding = GetBinding::to(other)});
    dlg.setSize(240, 200);
    run(dlg, [&](WindowView&) {
        for (TGet* g : gets) {
            g->setFocus();
            SysRefresh();
            g->keyDown(39, 0);  // moving the caret is not typing
        }
        last->setFocus();
        SysRefresh();
    });
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(gets[i]->text(), rows[i].shown) << rows[i].picture;
        expectUnchanged(vars[i], rows[i].start, rows[i].picture);
    }
}

TEST_F(EntryFields, StarsGiveWayOnlyToANumberTyped) {
    Value typed(-12345), deleted(-12345), other("");
    auto* a = dlg.add<TGet>(GetOptions{.rect = {5, 5, 60, 11}, .binding = GetBinding::to(typed), .picture = "9999"});
    auto* b = dlg.add<TGet>(GetOptions{.rect = {20, 5, 60, 11}, .binding = GetBinding::to(deleted), .picture = "9999"});
    auto* c = dlg.add<TGet>(GetOptions{.rect = {35, 5, 60, 11}, .binding = GetBinding::to(other)});
    run(dlg, [&](WindowView& v) {
        a->setFocus();
        SysRefresh();
        v.type("77");
        b->setFocus();
        SysRefresh();
        b->keyDown(46, 0);  // Delete eats a star: still no number
        c->setFocus();
        SysRefresh();
    });
    EXPECT_EQ(typed.num(), 77);
    expectUnchanged(deleted, Value(-12345), "9999");
    EXPECT_EQ(b->text(), "****");
}

TEST_F(EntryFields, AnInvalidFieldKeepsTheFocusAndADisabledOneIsSkipped) {
    Value a("   "), b("   "), c("   ");
    auto* first = dlg.add<TGet>(GetOptions{.rect = {5, 5, 40, 11},
                                           .binding = GetBinding::to(a),
                                           .bValid = [](TGet& g) { return g.value().text() != "   "; }});
    auto* second = dlg.add<TGet>(
        GetOptions{.rect = {20, 5, 40, 11}, .binding = GetBinding::to(b), .bWhen = [] { return false; }});
    auto* third = dlg.add<TGet>(GetOptions{.rect = {35, 5, 40, 11}, .binding = GetBinding::to(c)});
    run(dlg, [&](WindowView& v) {
        first->setFocus();
        third->setFocus();
        SysRefresh();
        EXPECT_TRUE(first->hasFocus());  // blank is refused
        v.type("x");
        v.key(Key::Down);  // Down moves on; the disabled field passes the focus along
        SysRefresh();
        EXPECT_FALSE(first->hasFocus());
        EXPECT_FALSE(second->hasFocus());
        EXPECT_TRUE(third->hasFocus());
    });
    EXPECT_EQ(a.text(), "x  ");
}

TEST_F(EntryFields, AnImpossibleDateKeepsTheFocusAndIsNeverWritten) {
    Value day(Date::fromYmd(2011, 11, 18)), other("");
    auto* get = dlg.add<TGet>(GetOptions{.rect = {5, 5, 60, 11}, .binding = GetBinding::to(day)});
    auto* next = dlg.add<TGet>(GetOptions{.rect = {20, 5, 60, 11}, .binding = GetBinding::to(other)});
    run(dlg, [&](WindowView& v) {
        get->setFocus();
        SysRefresh();
        v.type("31022011");
        next->setFocus();
        SysRefresh();
        EXPECT_TRUE(get->hasFocus());
        EXPECT_EQ(get->text(), "31/02/2011");
        get->assign();
        EXPECT_EQ(day.date(), Date::fromYmd(2011, 11, 18));
        get->setCaretPos(0);
        v.type("28");
        next->setFocus();
        SysRefresh();
        EXPECT_TRUE(next->hasFocus());
    });
    EXPECT_EQ(day.date(), Date::fromYmd(2011, 2, 28));
}

TEST_F(EntryFields, EditingKeysAndTheKeyDownCallable) {
    Value v("abc ");
    auto* get = dlg.add<TGet>(GetOptions{.rect = {5, 5, 60, 11}, .binding = GetBinding::to(v)});
    std::vector<int> seen;
    run(dlg, [&](WindowView& w) {
        get->setFocus();
        EXPECT_TRUE(get->insertMode());
        get->keyDown(45, 0);  // Insert toggles the mode
        EXPECT_FALSE(get->insertMode());
        w.type("z");
        EXPECT_EQ(get->text(), "zbc ");
        get->keyDown(35, 0);  // End, then Backspace
        get->keyDown(8, 0);
        EXPECT_EQ(get->text(), "zb  ");
        get->keyDown(45, keyflags::control);  // Control+Insert copies, Shift+Insert pastes
        get->keyDown(45, keyflags::shift);
        EXPECT_FALSE(get->insertMode());
        EXPECT_EQ(get->text(), "zbzb");
        get->keyDown(36, 0);
        get->bKeyDown = [&](TGet&, int key, int) {
            seen.push_back(key);
            return key == 'Q';
        };
        w.type("qy");
        EXPECT_EQ(get->text(), "ybzb");
    });
    EXPECT_EQ(seen, (std::vector<int>{'Q', 'Y'}));
}

TEST_F(EntryFields, TheContextMenuEditsTheField) {
    Value v("hola");
    auto* get = dlg.add<TGet>(GetOptions{.rect = {5, 5, 60, 11}, .binding = GetBinding::to(v)});
    std::vector<std::string> items;
    run(dlg, [&](WindowView&) {
        harness.onNextModal([&](WindowView& menu) {
            items = menu.menuItems();
            menu.choose("Borrar");
        });
        EXPECT_EQ(get->handleEvent(kContextMenuMessage, 0, 0), 0);
        EXPECT_EQ(get->handleEvent(1, 0, 0), std::nullopt);
    });
    EXPECT_EQ(items, (std::vector<std::string>{"&Copiar", "&Pegar", "&Borrar"}));
    EXPECT_EQ(get->text(), "    ");
}

TEST_F(EntryFields, BadPicturesAndValuesAreRefusedAtCreation) {
    Value list{Array{}};
    EXPECT_THROW(dlg.add<TGet>(GetOptions{.binding = GetBinding::to(list)}), std::invalid_argument);
    Value text("x");
    EXPECT_THROW(dlg.add<TGet>(GetOptions{.binding = GetBinding::to(text), .picture = "@K"}), std::invalid_argument);
    auto* get = dlg.add<TGet>(GetOptions{.binding = GetBinding::to(text), .picture = "!"});
    EXPECT_THROW(get->setPicture("@W"), std::invalid_argument);
    EXPECT_EQ(get->picture(), "!");
    EXPECT_EQ(get->text(), "X");
}

TEST_F(EntryFields, ARadioGroupFollowsItsBinding) {
    int chosen = 2, changes = 0;
    auto* radio = dlg.add<TRadMenu>(RadMenuOptions{.top = 5,
                                                   .left = 5,
                                                   .width = 40,
                                                   .items = {"Uno", "Dos", "Tres"},
                                                   .get = [&] { return chosen; },
                                                   .set = [&](int n) { chosen = n; },
                                                   .onChange = [&](int) { ++changes; }});
    EXPECT_EQ(radio->selected(), 2);
    run(dlg, [&](WindowView& v) { EXPECT_TRUE(v.press("Tres")); });
    EXPECT_EQ(chosen, 3);
    EXPECT_EQ(changes, 1);
    radio->select(9);
    EXPECT_EQ(radio->selected(), 0);
    EXPECT_EQ(radio->itemRect(2).top - radio->itemRect(1).top, 26);  // 13 units apart
}

}  // namespace
