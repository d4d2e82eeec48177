// The cell browse through the recording canvas: the layout of header, body and footer
// lines, callbacks evaluated once per line and cell, merges in the three blocks, frozen
// columns, the page kept stable, movement, and the incremental search over both drivers
// and over arrays.
#include "cAbreBro.h"

#include <gtest/gtest.h>

#include <sstream>

#include "Dialog.h"
#include "Get.h"
#include "GuiHarness.h"
#include "Keyboard.h"
#include "System.h"
#include "TableLayer.h"
#include "Text.h"
#include "testSupport.h"

namespace {

// One drawn text: where and what.
struct DrawnText {
    int left, top, width;
    std::string text;
};

std::vector<DrawnText> textsOf(const RecordingCanvas& c) {
    std::vector<DrawnText> out;
    for (const std::string& op : c.opsOf("text")) {
        std::istringstream in(op.substr(5));
        DrawnText t{};
        char comma, x;
        int height, align;
        in >> t.left >> comma >> t.top >> t.width >> x >> height >> align;
        std::getline(in, t.text);
        if (!t.text.empty() && t.text[0] == ' ') t.text.erase(0, 1);
        out.push_back(t);
    }
    return out;
}

const DrawnText* find(const std::vector<DrawnText>& texts, const std::string& s) {
    for (const DrawnText& t : texts)
        if (t.text == s) return &t;
    return nullptr;
}

Value rowsOf(int count, int columns) {
    Array rows;
    for (int r = 1; r <= count; ++r) {
        Array row;
        for (int c = 1; c <= columns; ++c) row.push_back(Value("r" + std::to_string(r) + "c" + std::to_string(c)));
        rows.push_back(Value(std::move(row)));
    }
    return Value(std::move(rows));
}

class Browse : public DiskTest {
  protected:
    void TearDown() override {
        EXPECT_TRUE(harness.unexpected().empty());
        setKeyboardForTests({});
        DiskTest::TearDown();
    }

    // A browse of 300 x 250 pixels in a dialog, lines 20 pixels high.
    tCAbreBrow* make(CAbreBrowNew args) {
        dialog = std::make_unique<TDialog>(DialogOptions{" Prueba", 300, 250, Units::Pixels});
        args.oWnd = dialog.get();
        args.nWidth = 300;
        args.nHeight = 250;
        tCAbreBrow* b = tCAbreBrow::New(std::move(args));
        b->nLineHeight = b->nHeaderHeight = b->nFooterHeight = 20;
        return b;
    }

    GuiHarness harness;
    std::unique_ptr<TDialog> dialog;
};

TEST_F(Browse, LaysOutHeaderBodyAndFooterLinesAndEvaluatesCallbacksOncePerLineAndCell) {
    Value rows = rowsOf(100, 5);
    tCAbreBrow* b = make({.source = rows, .aHeaders = {{"A", "B", "C", "D", "E"}, {"a", "b"}},
                          .aColSizes = ColSizes{50, 60, 70, 80, 90}});
    int lines = 0, colours = 0;
    auto inner = b->bLine;
    b->bLine = [&] {
        ++lines;
        return inner();
    };
    b->nClrPane = ColorSpec([&](int, const BrowseRow&) {
        ++colours;
        return std::optional<Color>(colors::white);
    });
    b->setFooters({[](tCAbreBrow&) { return BrowseRow{"Total", "1"}; },
                   [](tCAbreBrow&) { return BrowseRow{"Representantes", "2"}; }});
    b->lDrawFooters = true;
    int sb = scrollBarWidth();
    ASSERT_EQ(b->nHHeight(), 40);
    ASSERT_EQ(b->nFHeight(), 40);
    int rowsShown = (250 - sb - 40 - 40 - 2) / 20;
    ASSERT_EQ(b->nRowCount(), rowsShown);

    RecordingCanvas canvas;
    b->paintTo(canvas);
    auto texts = textsOf(canvas);

    // The second header row was padded with "" to the first's length.
    ASSERT_EQ(b->aHeaders[1].size(), 5u);
    EXPECT_EQ(find(texts, "a")->top, 20);
    // Body lines under the two header rows; the selection (line 1) drawn last again.
    EXPECT_EQ(find(texts, "r2c1")->top, 60);
    EXPECT_EQ(find(texts, "r" + std::to_string(rowsShown) + "c1")->top, 40 + 20 * (rowsShown - 1));
    EXPECT_EQ(find(texts, "r" + std::to_string(rowsShown + 1) + "c1"), nullptr);
    // Footers: the first element above the second, over the horizontal scroll bar.
    EXPECT_EQ(find(texts, "Total")->top, 250 - 40 - (sb + 3));
    EXPECT_EQ(find(texts, "Representantes")->top, 250 - 20 - (sb + 3));
    // Columns from x = 0, cut at the usable width; the last reaches it.
    int usable = 300 - (sb + 3);
    EXPECT_EQ(find(texts, "r2c1")->left, 0);
    EXPECT_EQ(find(texts, "r2c2")->left, 50);
    EXPECT_EQ(find(texts, "r2c5")->left, 260);
    EXPECT_EQ(find(texts, "r2c5")->width, usable - 260 + 1 - 2);
    // One row callback per line, plus the selected line drawn again (in the grey of a
    // browse without the focus, so without the pane callback); colours once per cell.
    EXPECT_EQ(lines, rowsShown + 1);
    EXPECT_EQ(colours, 5 * rowsShown);
}

TEST_F(Browse, MergesInTheThreeBlocksIncludingAGroupStartingLeftOfTheFirstShownColumn) {
    Value rows = rowsOf(3, 5);
    tCAbreBrow* b = make({.source = rows, .aHeaders = {{"", "", "PSOE", "PP", "IU"}, {"Casilla", "Tipo", "1", "2", "3"}},
                          .aColSizes = ColSizes{40, 40, 40, 40, 40}});
    b->setFooters({BrowseRow{"Total", "", "10", "20", "30"}, BrowseRow{"Representantes", "", "1", "2", "3"}});
    b->lDrawFooters = true;
    b->unirHead(1, 2, 1);
    b->unirFoot(1, 2);
    b->unirCeldas(2, 3);
    EXPECT_EQ(b->getHUnidas(1), (std::vector<int>{2, -1, 1, 1, 1}));
    EXPECT_EQ(b->getHUnidas(2), (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(b->getFUnidas(1), (std::vector<int>{2, -1, 1, 1, 1}));
    EXPECT_EQ(b->getFUnidas(2), (std::vector<int>{2, -1, 1, 1, 1}));

    RecordingCanvas canvas;
    b->paintTo(canvas);
    auto texts = textsOf(canvas);
    EXPECT_EQ(find(texts, "Total")->width, 80 - 2);           // two columns, less the text margin
    EXPECT_EQ(find(texts, "Representantes")->width, 80 - 2);
    EXPECT_EQ(find(texts, "Casilla")->width, 40 - 2);         // the second header row is not merged
    EXPECT_EQ(find(texts, "r1c2")->width, 120 - 2);           // body group of three
    EXPECT_EQ(find(texts, "r1c3"), nullptr);
    EXPECT_EQ(find(texts, "r1c5")->left, 160);

    // Scrolled so that column 3, inside the body group, is the first shown: it carries the
    // group's value and spans the group's remaining two columns.
    b->nColPos = 3;
    canvas.clear();
    b->paintTo(canvas);
    texts = textsOf(canvas);
    EXPECT_EQ(find(texts, "r1c2")->left, 0);
    EXPECT_EQ(find(texts, "r1c2")->width, 80 - 2);
    EXPECT_EQ(find(texts, "r1c5")->left, 80);
}

TEST_F(Browse, FrozenColumnsStayWhileTheRestScrollsAndClicksFindTheirColumn) {
    Value rows = rowsOf(3, 8);
    tCAbreBrow* b = make({.source = rows, .aHeaders = {{"1", "2", "3", "4", "5", "6", "7", "8"}},
                          .aColSizes = ColSizes{60, 50, 50, 50, 50, 50, 50, 50}});
    b->nFreeze = 1;
    b->lCellStyle = true;
    for (int i = 0; i < 6; ++i) b->goRight();
    EXPECT_EQ(b->nColAct, 7);
    EXPECT_GT(b->nColPos, 2);
    RecordingCanvas canvas;
    b->paintTo(canvas);
    auto texts = textsOf(canvas);
    EXPECT_EQ(find(texts, "r1c1")->left, 0);  // frozen
    EXPECT_EQ(find(texts, "r1c" + std::to_string(b->nColPos))->left, 60);
    EXPECT_EQ(find(texts, "r1c2"), nullptr);
    EXPECT_TRUE(b->isColVisible(7));
    EXPECT_FALSE(b->isColVisible(2));
    EXPECT_EQ(b->nAtCol(30), 1);
    EXPECT_EQ(b->nAtCol(61), b->nColPos);
}

TEST_F(Browse, MovesAndPagesThroughAnArrayAndKeepsThePageStable) {
    Value rows = rowsOf(40, 2);
    tCAbreBrow* b = make({.source = rows, .aHeaders = {{"A", "B"}}, .aColSizes = ColSizes{80, 80}});
    std::string counter;
    b->oMsgRecNo = BrowseDisplay{[&](const std::string& s) { counter = s; }};
    int rowsShown = b->nRowCount();
    for (int i = 0; i < 3; ++i) b->goDown();
    EXPECT_EQ(b->nAt, 4);
    EXPECT_EQ(b->nRowPos, 4);
    EXPECT_EQ(counter, "4/40");
    b->goBottom();
    EXPECT_EQ(b->nAt, 40);
    EXPECT_EQ(b->nRowPos, rowsShown);
    b->goDown();
    EXPECT_TRUE(b->lHitBottom);
    EXPECT_EQ(b->nAt, 40);
    b->pageUp();
    EXPECT_EQ(b->nAt, 40 - rowsShown);
    // Paging up from line 6 of the first page: the first row, on line 1.
    b->goTop();
    for (int i = 0; i < 5; ++i) b->goDown();
    b->pageUp();
    EXPECT_EQ(b->nAt, 1);
    EXPECT_EQ(b->nRowPos, 1);
    b->goTop();
    b->goUp();
    EXPECT_TRUE(b->lHitTop);
    EXPECT_EQ(counter, "1/40");
    // Rows removed under the page: the current row keeps its line when it is still there.
    b->nAt = 20;
    b->nRowPos = 5;
    rows.array()->erase(rows.array()->begin());
    b->upStable();
    EXPECT_EQ(b->nAt, 20);
    EXPECT_EQ(b->nRowPos, 5);
    EXPECT_EQ(counter, "20/39");
}

TEST_F(Browse, AnEmptySourceDrawsHeadersFootersAndBackgroundOnly) {
    tCAbreBrow* b = make({.source = Value(Array{}), .aHeaders = {{"A", "B"}}, .aColSizes = ColSizes{80, 80}});
    b->setFooters({BrowseRow{"Total", "0"}});
    b->lDrawFooters = true;
    bool clicked = false;
    b->bLDblClick = [&](const BrowseDblClick&) { clicked = true; };
    RecordingCanvas canvas;
    b->paintTo(canvas);
    auto texts = textsOf(canvas);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, "A");
    EXPECT_EQ(texts[2].text, "Total");
    b->goDown();
    b->keyChar(13, 0);
    EXPECT_FALSE(clicked);
}

TEST_F(Browse, HashAndRecordSetSourcesGiveTheirRows) {
    auto hash = std::make_shared<Hash>();
    hash->set(Value("P"), Value("Presidente"));
    hash->set(Value("A"), Value(7));
    tCAbreBrow* b = make({.source = Value(hash)});
    EXPECT_EQ(b->cAlias, "ARRAY");
    EXPECT_EQ(b->bLine(), (BrowseRow{"P", "Presidente"}));
    b->goDown();
    EXPECT_EQ(b->bLine(), (BrowseRow{"A", "7"}));
    EXPECT_EQ(b->Skip(5), 0);

    struct Set : BrowseRecordSet {
        long at = 1;
        std::string className() const override { return "SET"; }
        long LastRec() override { return 3; }
        BrowseRow aBuffer() override { return {Value(long(at * 10))}; }
        long RecNo() override { return at; }
        void GoTop() override { at = 1; }
        void GoBottom() override { at = 3; }
        long Skip(long n) override {
            long to = std::clamp(at + n, 1L, 3L), moved = to - at;
            at = to;
            return moved;
        }
    };
    b->setArray(Value(ObjectRef(std::make_shared<Set>())), true);
    b->goBottom();
    EXPECT_EQ(b->nAt, 3);
    EXPECT_EQ(b->bLine()[0].num(), 30);
}

// ---- incremental search over both drivers -------------------------------------------------------

template <class Driver>
class BrowseSeek : public Browse {
  protected:
    void SetUp() override {
        Browse::SetUp();
        const std::string driver = Driver::name;
        ASSERT_TRUE(DBCREATE("padron", {{"paterno", 'C', 10, 0}, {"edad", 'N', 3, 0}, {"vota", 'L', 1, 0}}, driver));
        ASSERT_TRUE(DBUSEAREA(true, driver, "padron", "PADRON", false));
        const char* names[] = {"ALVAREZ", "GARCIA", "GARZA", "LOPEZ", "MARTINEZ", "PEREZ"};
        int age = 20;
        for (const char* n : names) {
            ASSERT_TRUE(DBAPPEND());
            FIELDPUT(1, Value(n));
            FIELDPUT(2, Value(age += 7));
            FIELDPUT(3, Value(age % 2 == 0));
        }
        ASSERT_TRUE(ORDCREATE("padron", "paterno", "paterno"));
        ASSERT_TRUE(ORDCREATE("padron", "edad", "edad"));
        ASSERT_TRUE(ORDCREATE("padron", "vota", "vota"));
        ORDSETFOCUS("paterno");
        DBGOTOP();
        b = make({.source = BrowseSource([] { return BrowseRow{FIELDGET(1), FIELDGET(2)}; }),
                  .aHeaders = {{"Paterno", "Edad"}}, .aColSizes = ColSizes{100, 50}, .cAlias = "PADRON"});
        b->oSeek = BrowseDisplay{[this](const std::string& s) { shown = s; }};
    }
    std::string current() { return text::rtrim(evalInAlias("PADRON", [] { return FIELDGET(1); }).text()); }
    // Types `keys` one by one; answers the result of the last.
    bool type(const std::string& keys) {
        bool r = true;
        for (char c : keys) r = b->seek(std::string(1, c));
        return r;
    }

    tCAbreBrow* b = nullptr;
    std::string shown;
};
TYPED_TEST_SUITE(BrowseSeek, BothDrivers);

TYPED_TEST(BrowseSeek, TextKeysExtendTheSearchAndAFailureBlocksTypingUntilBackspace) {
    auto& t = *this;
    ASSERT_TRUE(t.b->bSeek);  // an identity seek by default on an indexed table
    EXPECT_TRUE(t.type("GAR"));
    EXPECT_EQ(t.current(), "GARCIA");
    EXPECT_TRUE(t.type("Z"));
    EXPECT_EQ(t.current(), "GARZA");
    EXPECT_FALSE(t.type("X"));
    EXPECT_EQ(t.b->cSeek, std::string("GARZX") + '\0');
    EXPECT_EQ(t.shown, t.b->cSeek);
    EXPECT_FALSE(t.type("A"));  // refused: nothing changes
    EXPECT_EQ(t.b->cSeek, std::string("GARZX") + '\0');
    EXPECT_TRUE(t.b->seek("\b"));  // marker and last character go, the search runs again
    EXPECT_EQ(t.b->cSeek, "GARZ");
    EXPECT_EQ(t.current(), "GARZA");
    EXPECT_TRUE(t.b->seek("\x7f"));  // Control+Backspace: cleared, at the top
    EXPECT_EQ(t.b->cSeek, "");
    EXPECT_EQ(t.current(), "ALVAREZ");
    // Past the last key: with the seek-EOF option that alone counts as not found.
    t.b->lSeekEOF = true;
    EXPECT_TRUE(t.type("H"));
    EXPECT_EQ(t.current(), "LOPEZ");
    EXPECT_FALSE(t.type("\b\bZ"));
    EXPECT_EQ(t.current(), "PEREZ");  // the last row, shown
}

TYPED_TEST(BrowseSeek, NumberLogicalAndRowNumberKeys) {
    auto& t = *this;
    ORDSETFOCUS("edad");
    EXPECT_FALSE(t.type("a"));  // not a digit: refused
    EXPECT_TRUE(t.type("4"));
    EXPECT_TRUE(t.type("1"));   // 41: the first age from 41 on
    EXPECT_EQ(evalInAlias("PADRON", [] { return FIELDGET(2); }).num(), 41);
    EXPECT_FALSE(t.type("9"));  // 419: past every age
    t.b->seek("\x7f");
    ORDSETFOCUS("vota");
    EXPECT_TRUE(t.type("T"));
    EXPECT_EQ(t.b->cSeek, "T");
    EXPECT_TRUE(t.type("f"));  // replaces the text
    EXPECT_EQ(t.b->cSeek, "f");
    EXPECT_FALSE(t.type("x"));
    t.b->seek("\x7f");
    ORDSETFOCUS(Value(0));  // natural order: row numbers
    EXPECT_TRUE(t.type("3"));
    EXPECT_EQ(evalInAlias("PADRON", [] { return Value(RECNO()); }).num(), 3);
    EXPECT_FALSE(t.type("0"));  // 30: beyond the row count
    EXPECT_EQ(t.b->cSeek, std::string("30") + '\0');
}

TEST_F(Browse, ArraySearchByCallbackAndByRowNumber) {
    Value rows = rowsOf(10, 2);
    tCAbreBrow* b = make({.source = rows, .bSeek = [](const Value& s, int) {
                              long n = std::atol(s.text().c_str());
                              return Value(n <= 10 ? n : -10);
                          }});
    b->nIndex = 1;
    EXPECT_TRUE(b->seek("7"));
    EXPECT_EQ(b->nAt, 7);
    EXPECT_FALSE(b->seek("7"));  // 77: nearest is 10, marked not found
    EXPECT_EQ(b->nAt, 10);
    b->nIndex = 0;
    b->seek("\x7f");
    EXPECT_TRUE(b->seek("4"));
    EXPECT_EQ(b->nAt, 4);
    EXPECT_FALSE(b->seek("4"));  // 44: the last row, not found
    EXPECT_EQ(b->nAt, 10);
}

}  // namespace

namespace {

// The browse in a shown dialog: typed digits position by row number, arrows move, Enter
// opens the row, Escape still closes the dialog.
TEST_F(Browse, KeysTypedInTheShownWindowReachTheSearchTheMovesAndTheDoubleClick) {
    Value rows = rowsOf(30, 2);
    tCAbreBrow* b = make({.source = rows, .aHeaders = {{"A", "B"}}, .aColSizes = ColSizes{80, 80},
                          .bSeek = [](const Value& s, int) { return s; }});
    long opened = 0;
    b->bLDblClick = [&](const BrowseDblClick& d) { opened = d.oBrow ? static_cast<tCAbreBrow*>(d.oBrow)->nAt : -1; };
    harness.onNextModal([&](WindowView& view) {
        view.type("12");
        view.key(Key::Down);
        view.key(Key::Enter);
        view.key(Key::Escape);
    });
    dialog->activate();
    EXPECT_EQ(b->cSeek, "12");
    EXPECT_EQ(b->nAt, 13);
    EXPECT_EQ(opened, 13);
    EXPECT_FALSE(dialog->active());
}

}  // namespace

namespace {

TEST_F(Browse, MouseClicksRunHeaderActionsMoveToTheClickedCellAndResizeColumns) {
    Value rows = rowsOf(20, 3);
    std::vector<int> actions;
    tCAbreBrow* b = make({.source = rows, .aHeaders = {{"A", "B", "C"}}, .aColSizes = ColSizes{80, 80, 80},
                          .aActions = {[&](TWBrowse&, int, int) { actions.push_back(1); }}});
    b->lCellStyle = true;
    int changes = 0;
    b->bChange = [&](TWBrowse&) { ++changes; };
    b->lButtonDown(5, 40, 0);  // header of column 1: its action
    b->lButtonDown(5, 120, 0); // header of column 2: no action, a beep, nothing else
    EXPECT_EQ(actions, std::vector<int>{1});
    // Line 4, column 2: that row and cell become current.
    b->lButtonDown(20 + 3 * 20 + 5, 100, 0);
    EXPECT_EQ(b->nAt, 4);
    EXPECT_EQ(b->nRowPos, 4);
    EXPECT_EQ(b->nColAct, 2);
    EXPECT_EQ(changes, 1);
    // Within a pixel of column 1's right edge: a resize, dragged to x = 120.
    b->lButtonDown(50, 80, 0);
    EXPECT_EQ(b->nAt, 4);  // nothing else happened
    b->mouseMove(50, 120, 0);
    b->lButtonUp(50, 120, 0);
    EXPECT_EQ(b->GetColSizes(), (std::vector<int>{121, 80, 80}));
}

}  // namespace

namespace {

TEST_F(Browse, TheScrollThumbTakesTheRowAtItsPositionFromTheNearestKnownRow) {
    Value rows = rowsOf(1000, 1);
    tCAbreBrow* b = make({.source = rows, .aColSizes = ColSizes{80}});
    long skipped = 0;
    auto skip = b->bSkip;
    b->bSkip = [&](long n) {
        skipped += std::labs(n);
        return skip(n);
    };
    for (long pos : {400L, 405L, 990L, 3L}) {
        skipped = 0;
        b->vScrollTo(pos);
        EXPECT_EQ(b->nAt, pos);
        EXPECT_EQ(b->vGetPos(), pos);
    }
    b->vScrollTo(500);
    skipped = 0;
    b->vScrollTo(510);  // a small drag walks ten rows, plus the page's own walk
    EXPECT_LE(skipped, 10 + 2 * b->nRowCount());
}

}  // namespace

namespace {

TEST_F(Browse, TheSearchTextAndTheCounterShowInALabelAndInAnEntryField) {
    Value rows = rowsOf(30, 1);
    tCAbreBrow* b = make({.source = rows, .aColSizes = ColSizes{80}, .bSeek = [](const Value& s, int) { return s; }});
    auto* say = dialog->add<TSay>(SayOptions{Rect{0, 0, 100, 16}, "x"});
    Value typed("");
    auto* get = dialog->add<TGet>(GetOptions{Rect{20, 0, 100, 16}, GetBinding::to(typed), ""});
    b->oMsgRecNo = BrowseDisplay::label(*say);
    b->oSeek = BrowseDisplay::field(*get);
    b->seek("2");
    b->seek("5");
    EXPECT_EQ(say->text(), "25/30");
    EXPECT_EQ(text::rtrim(get->text()), "25");
    EXPECT_EQ(typed.text(), "25");
}

}  // namespace

namespace {

TYPED_TEST(BrowseSeek, PaintReadsTheBrowsedTableWhateverAreaIsCurrent) {
    auto& t = *this;
    ASSERT_TRUE(DBCREATE("otra", {{"x", 'C', 8, 0}}, TypeParam::name));
    ASSERT_TRUE(DBUSEAREA(true, TypeParam::name, "otra", "OTRA", false));
    DBAPPEND();
    FIELDPUT(1, Value("ajeno"));
    RecordingCanvas canvas;
    t.b->paintTo(canvas);
    EXPECT_NE(find(textsOf(canvas), "ALVAREZ   "), nullptr);
    EXPECT_EQ(find(textsOf(canvas), "ajeno   "), nullptr);
    EXPECT_EQ(ALIAS(), "OTRA");
}

}  // namespace
