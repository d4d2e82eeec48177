// In-place editing in the cell browse, driven through the harness: the one-cell editors
// accepting and refusing, the editing loop's moves, the write-back of an edited cell to
// its field over both drivers (with the lock and the refusals), and the meter over a cell.
#include <gtest/gtest.h>

#include <cstdlib>

#include "App.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "Meter.h"
#include "TableLayer.h"
#include "cAbreBro.h"
#include "cAbreBroEdit.h"
#include "testSupport.h"

namespace {

// A dialog with a browse over an array of 3 rows of 3 texts, or over a table.
struct BrowseBox {
    TDialog dlg{
        DialogOptions{.title = "Celdas", .width = 320, .height = 160, .units = Units::Pixels}};
    tCAbreBrow* b = nullptr;

    void overArray() {
        Array rows;
        for (const char* r : {"uno", "dos", "tres"})
            rows.push_back(Value(Array{Value(std::string(r) + "-a"), Value(std::string(r) + "-b"),
                                       Value(std::string(r) + "-c")}));
        b = tCAbreBrow::New(CAbreBrowNew{.nTop = 5,
                                         .nLeft = 5,
                                         .nWidth = 300,
                                         .nHeight = 140,
                                         .source = BrowseSource(Value(rows)),
                                         .aHeaders = {{Value("A"), Value("B"), Value("C")}},
                                         .aColSizes = ColSizes{90, 90, 90},
                                         .oWnd = &dlg});
    }
    void overTable(const std::string& alias) {
        b = tCAbreBrow::New(CAbreBrowNew{
            .nTop = 5,
            .nLeft = 5,
            .nWidth = 300,
            .nHeight = 140,
            .aHeaders = {{Value("Clave"), Value("Votos"), Value("Fecha"), Value("Ok")}},
            .aColSizes = ColSizes{60, 60, 90, 40},
            .oWnd = &dlg,
            .cAlias = alias});
        b->bLine = [this] { return _AFIELDS(*b); };
        b->goTop();
    }
    // Runs `steps` with the box shown, then closes it.
    void run(GuiHarness& harness, std::function<void()> steps) {
        harness.onNextModal([this, steps](WindowView&) {
            SysRefresh();
            steps();
            dlg.end();
        });
        dlg.activate();
    }
};

std::string shotPath(const std::string& name) {
    const char* dir = std::getenv("URNALIA_SNAPSHOT_DIR");
    return dir ? std::string(dir) + "/" + name : "";
}

class CellEditor : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(harness.unexpected().empty()); }
    GuiHarness harness;
    BrowseBox box;
};

// Plays a script of user steps in a window: "type TEXT", "pick ITEM", "press CAPTION",
// "Enter", "Escape", and "open" (the window is still there), separated by "|".
void play(WindowView& v, const std::string& script) {
    size_t from = 0;
    while (from <= script.size()) {
        size_t to = std::min(script.find('|', from), script.size());
        std::string step = script.substr(from, to - from), arg = step.substr(step.find(' ') + 1);
        if (step == "Enter" || step == "Escape") v.key(step == "Enter" ? Key::Enter : Key::Escape);
        if (step == "open") {
            EXPECT_TRUE(v.visible()) << script;
        }
        if (step.starts_with("type ")) v.type(arg);
        if (step.starts_with("pick ")) {
            EXPECT_TRUE(v.pickItem(arg)) << script;
        }
        if (step.starts_with("press ")) {
            EXPECT_TRUE(v.press(arg)) << script;
        }
        from = to + 1;
    }
}

TEST_F(CellEditor, AcceptsOnlyWhatTheUserAcceptsAndValidates) {
    struct Case {
        Value start;
        EditColOptions options;
        std::string script;
        bool accepted;
        Value result;
    };
    Value hash = Value::hash();
    hash.hashRef()->set(Value("a"), Value("Uno"));
    hash.hashRef()->set(Value("b"), Value(Date::fromYmd(2011, 11, 18)));
    Value siNo(Array{Value("Sí"), Value("No")});
    auto never = [](TGet&) { return false; };
    auto plus = [](const Value& v, TGet&) { return Value(v.text() + "+"); };
    auto zz = [](const Value&, TGet&) { return Value("zz"); };
    const Case cases[] = {
        {Value("dos-b"), {}, "type DOS|Enter", true, Value("DOS-b")},  // typed over
        {Value("uno"), {}, "type dos|Escape", false, Value("uno")},
        {Value("uno"), {.bValid = never}, "type dos|Enter|open|Escape", false, Value("uno")},
        {Value("ab"), {.cPicture = "!!"}, "type xy|Enter", true, Value("XY")},
        {Value(false), {}, "pick .T.", true, Value(true)},
        {Value(true), {.aItems = siNo}, "pick No", true, Value(false)},
        {Value("Uno"),
         {.aItems = hash},
         "pick 18/11/2011",
         true,
         Value(Date::fromYmd(2011, 11, 18))},
        {Value("Uno"), {.aItems = hash}, "Escape", false, Value("Uno")},
        {Value("uno"), {.bAction = plus}, "press ...", true, Value("uno+")},
        {Value("ab"), {.bAction = zz, .cKeys = Value("Q")}, "type q", true, Value("zz")},
    };
    box.overArray();
    box.run(harness, [&] {
        box.b->goDown();
        Rect cell = box.b->editRect(2), line = box.b->cellRect(2);
        EXPECT_EQ(cell,
                  (Rect{line.top + 1, line.left, line.width, double(box.b->nLineHeight - 1)}));
        for (const Case& c : cases) {
            Value value = c.start;
            harness.onNextModal([&](WindowView& v) {
                SysRefresh();
                EXPECT_EQ(v.width(), int(cell.width));
                EXPECT_EQ(v.height(), int(cell.height));
                if (std::string path = shotPath("edit.png"); !path.empty() && &c == cases)
                    GuiHarness::window("Celdas")->grabWithPopups(path);
                play(v, c.script);
                if (v.visible()) v.key(Key::Escape);
            });
            EXPECT_EQ(box.b->lEditCol(2, value, c.options), c.accepted) << c.script;
            EXPECT_EQ(value, c.result) << c.script;
        }
    });
}

// Where each call of bEdit found the loop: "row,col" (1-based), and the answers given.
TEST_F(CellEditor, TheEditingLoopMovesAsTheCallbackSays) {
    struct Case {
        int row, col;  // where the loop starts
        Value answer;  // bEdit's first answer; later answers stop the loop
        bool autoSkip;
        std::vector<std::string> calls;
        std::string end;  // where the loop left the selection
    };
    const Case cases[] = {
        {2, 2, Value(1), true, {"2,2", "2,3"}, "2,3"},
        {2, 3, Value(1), true, {"2,3", "3,1"}, "3,1"},
        {2, 2, Value(true), true, {"2,2", "2,3"}, "2,3"},
        {2, 2, Value(2), true, {"2,2", "3,1"}, "3,1"},
        {2, 2, Value(3), true, {"2,2", "3,2"}, "3,2"},
        {2, 2, Value(-1), true, {"2,2", "2,1"}, "2,1"},
        {2, 1, Value(-1), true, {"2,1", "1,3"}, "1,3"},
        {2, 2, Value(-2), true, {"2,2", "1,1"}, "1,1"},
        {2, 2, Value(-3), true, {"2,2", "1,2"}, "1,2"},
        {3, 2, Value(3), true, {"3,2"}, "3,2"},  // no row below: the loop ends
        {2, 2, Value(0), true, {"2,2"}, "2,2"},
        {2, 2, Value(4), true, {"2,2"}, "2,2"},
        {2, 2, Value(false), true, {"2,2"}, "2,2"},
        {2, 2, Value("1"), true, {"2,2"}, "2,2"},
        {2, 2, Value(1), false, {"2,2"}, "2,3"},  // moves once, does not go on
    };
    box.overArray();
    box.b->lCellStyle = true;
    box.run(harness, [&] {
        for (const Case& c : cases) {
            std::vector<std::string> calls;
            int firstCalls = 0;
            box.b->lAutoSkip = c.autoSkip;
            box.b->bEdit = [&](int col, const Value& value, bool first) {
                firstCalls += first;
                calls.push_back(std::to_string(box.b->nAt) + "," + std::to_string(col));
                EXPECT_EQ(value, box.b->bLine()[size_t(col - 1)]);
                return calls.size() == 1 ? c.answer : Value(false);
            };
            box.b->goTop();
            for (int r = 1; r < c.row; ++r) box.b->goDown();
            harness.onNextModal([](WindowView&) {});
            box.b->edit(c.col);
            std::string where = std::to_string(box.b->nAt) + "," + std::to_string(box.b->nColAct);
            EXPECT_EQ(calls, c.calls) << c.row << "," << c.col << " " << c.answer.toText();
            EXPECT_EQ(where, c.end) << c.row << "," << c.col << " " << c.answer.toText();
            EXPECT_EQ(firstCalls, 1);
        }
    });
}

TEST_F(CellEditor, HiddenColumnsAndPicturesArePassedOver) {
    box.overArray();
    box.b->aColSizes = ColSizes{90, 0, 90};
    box.b->lCellStyle = true;
    box.run(harness, [&] {
        std::vector<int> cols;
        box.b->lAutoSkip = true;
        box.b->bEdit = [&](int col, const Value&, bool) {
            cols.push_back(col);
            return Value(cols.size() < 3 ? 1 : -1);
        };
        harness.onNextModal([](WindowView&) {});
        box.b->edit(1);
        // Forward over the hidden 2 to 3, on to the next row's 1; back to row 1's 3, back
        // over 2 to its 1, where there is no row above to go back to.
        EXPECT_EQ(cols, (std::vector<int>{1, 3, 1, 3, 1}));
    });
}

TEST_F(CellEditor, TheDoubleClickEntryCallsTheOwnerOrEditsTheCell) {
    struct Case {
        bool rows, callback, autoEdit, lNew, onCurrentLine;
        std::string expected;  // what ran: "owner", "edit", or ""
    };
    const Case cases[] = {
        {true, true, false, false, true, "owner"}, {true, true, false, false, false, "owner"},
        {false, true, false, false, true, ""},     {false, true, false, true, true, "owner"},
        {true, true, true, false, true, "edit"},   {true, false, true, false, true, "edit"},
        {true, false, true, false, false, ""},     {true, false, false, false, true, ""},
    };
    box.overArray();
    int owner = 0;
    ArrayRef rows = box.b->aArray();
    box.run(harness, [&] {
        for (const Case& c : cases) {
            std::string ran;
            BrowseDblClick seen;
            box.b->setArray(c.rows ? Value(rows) : Value(Array{}), true);
            box.b->bLDblClick = nullptr;
            if (c.callback)
                box.b->bLDblClick = [&](const BrowseDblClick& d) { ran = "owner", seen = d; };
            box.b->lAutoEdit = c.autoEdit;
            box.b->oClase = &owner;
            box.b->bEdit = [&](int, const Value&, bool) {
                ran = "edit";
                return Value(false);
            };
            if (c.autoEdit && c.onCurrentLine && c.rows) harness.onNextModal([](WindowView&) {});
            Rect cell = box.b->cellRect(2);
            int row = int(cell.top) + (c.onCurrentLine ? 2 : int(cell.height) + 2);
            box.b->lDblClick(row, int(cell.left) + 2, 0, true, c.lNew);
            EXPECT_EQ(ran, c.expected)
                << c.rows << c.callback << c.autoEdit << c.lNew << c.onCurrentLine;
            if (ran == "owner") {
                EXPECT_EQ(seen.oClase, &owner);
                EXPECT_EQ(seen.oBrow, box.b);
                EXPECT_TRUE(seen.lModif);
                EXPECT_EQ(seen.lNew, c.lNew);
            }
        }
    });
}

// ---- the meter -------------------------------------------------------------------------

TEST_F(CellEditor, TheMeterReturnsTheJobsResultAndCannotBeClosedMeanwhile) {
    box.overArray();
    box.run(harness, [&] {
        bool tried = false;
        harness.onNextModal([&](WindowView& v) {
            v.key(Key::Escape);
            v.close();
            EXPECT_TRUE(v.visible());
            tried = true;
        });
        Value bar;
        Value result = box.b->meter(-1,
                                    [&](const std::vector<Value>& args) {
                                        EXPECT_EQ(args.size(), 3u);
                                        bar = args[0];
                                        TMeter* m = meterOf(args[0]);
                                        EXPECT_NE(m, nullptr);
                                        if (!m) return Value();
                                        for (int i = 0; i <= 40; ++i) {
                                            m->set(i);
                                            SysRefresh();
                                        }
                                        if (std::string path = shotPath("meter.png"); !path.empty())
                                            GuiHarness::window("Celdas")->grabWithPopups(path);
                                        return Value(Array{args[1], args[2], Value(7)});
                                    },
                                    {Value("votos"), Value(Date::fromYmd(2011, 11, 18))});
        EXPECT_TRUE(tried);
        ASSERT_TRUE(result.isArray());
        EXPECT_EQ(*result.array(),
                  (Array{Value("votos"), Value(Date::fromYmd(2011, 11, 18)), Value(7)}));
        EXPECT_EQ(meterOf(bar), nullptr);  // the pop-up and its bar are gone
    });
}

// ---- write-back to a table ---------------------------------------------------------------

template <class Driver>
class CellWriteBack : public DiskTest {
  protected:
    void SetUp() override {
        DiskTest::SetUp();
        ASSERT_TRUE(DBCREATE(
            "celdas",
            {{"clave", 'C', 4, 0}, {"votos", 'N', 5, 1}, {"fecha", 'D', 8, 0}, {"ok", 'L', 1, 0}},
            Driver::name));
        ASSERT_TRUE(DBUSEAREA(true, Driver::name, "celdas", "CELDAS", true));
        ASSERT_TRUE(DBAPPEND());
        FIELDPUT(1, Value("AB"));
        FIELDPUT(2, Value(12.5));
        FIELDPUT(3, Value(Date::fromYmd(2011, 11, 18)));
        FIELDPUT(4, Value(true));
        DBUNLOCK();
    }
    std::vector<std::string> record() {
        std::vector<std::string> out;
        for (int i = 1; i <= FCOUNT(); ++i) out.push_back(cellTextOf(FIELDGET(i)));
        return out;
    }
};
TYPED_TEST_SUITE(CellWriteBack, BothDrivers);

TYPED_TEST(CellWriteBack, AValueTheFieldCannotHoldIsRefusedAndTheRecordKept) {
    struct Case {
        int field;
        const char* typed;
        bool ok;
        const char* stored;  // as the cell shows it
    };
    const Case cases[] = {
        {2, "  7.5", true, "7.5"},
        {2, "123.4", true, "123.4"},
        {2, "1234.5", false, ""},
        {2, "12a", false, ""},
        {2, "1e3", false, ""},
        {3, "01/02/2012", true, "01/02/2012"},
        {3, "31/02/2011", false, ""},
        {3, "2011-11-18", false, ""},
        {3, "  /  /    ", true, "  /  /    "},
        {4, ".f.", true, ".F."},
        {4, "si", false, ""},
        {1, "wxyz", true, "wxyz"},
        {1, "wxyzq", false, ""},
        {1, "ab  ", true, "ab  "},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(RLOCK());
        std::vector<std::string> before = this->record();
        this->errors.clear();
        EXPECT_EQ(cellToField(c.field, Value(c.typed)), c.ok) << c.typed;
        std::vector<std::string> after = this->record();
        if (c.ok) {
            EXPECT_TRUE(this->errors.empty()) << c.typed;
            before[size_t(c.field - 1)] = c.stored;
        } else {
            EXPECT_EQ(this->errors.size(), 1u) << c.typed;
        }
        EXPECT_EQ(after, before) << c.typed;
        DBUNLOCK();
    }
}

// The whole path: the editing loop in a table browse locks the record, opens the editor
// over the cell and writes back what was typed, or shows why it cannot.
TYPED_TEST(CellWriteBack, TheEditingLoopWritesTheTypedCellUnderTheLock) {
    struct Case {
        const char* typed;  // "" when another area holds the lock
        std::string votos;  // the field afterwards, as the cell shows it
        size_t errors;
    };
    const Case cases[] = {{"99.5", "99.5", 0}, {"9999", "12.5", 1}, {"", "12.5", 0}};
    ASSERT_TRUE(DBUSEAREA(true, TypeParam::name, "celdas", "OTRA", true));
    for (const Case& c : cases) {
        GuiHarness harness;
        BrowseBox box;
        DBSELECTAREA("CELDAS");
        ASSERT_TRUE(RLOCK());
        FIELDPUT(2, Value(12.5));
        DBUNLOCK();
        DBSELECTAREA("OTRA");
        if (!*c.typed) {
            ASSERT_TRUE(RLOCK());
        }
        DBSELECTAREA("CELDAS");
        box.overTable("CELDAS");
        this->errors.clear();
        std::string message;
        box.run(harness, [&] {
            harness.onNextModal([](WindowView&) {});  // the loop's own pop-up
            harness.onNextModal([&](WindowView& v) {
                SysRefresh();
                if (!*c.typed) {
                    message = v.title() + "|" + (v.labels().empty() ? "" : v.labels().front());
                    v.key(Key::Enter);
                    return;
                }
                v.type(c.typed);
                v.key(Key::Enter);
            });
            box.b->edit(2);
        });
        EXPECT_EQ(cellTextOf(FIELDGET(2)), c.votos) << c.typed;
        EXPECT_EQ(this->errors.size(), c.errors) << c.typed;
        EXPECT_TRUE(harness.unexpected().empty());
        if (!*c.typed) {
            EXPECT_EQ(message, "Please, try again|Record locked!");
        }
        DBSELECTAREA("OTRA");
        DBUNLOCK();
        DBSELECTAREA("CELDAS");
        EXPECT_TRUE(RLOCK()) << "the loop let the record go";
        DBUNLOCK();
    }
}

}  // namespace
