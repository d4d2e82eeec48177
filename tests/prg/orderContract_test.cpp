// Orders as both drivers keep them: seeks, scopes, hidden records, conditions that follow
// delete and recall, focus and order lists, creation conditions, keys of every type and
// writes whose keys fail. Each case runs over the memory engine and the disk driver; the
// order of equal keys, where they differ, is tested for each at the end.
#include <gtest/gtest.h>

#include <tuple>

#include "TableLayer.h"
#include "testSupport.h"

namespace {

template <class Driver>
class OrderContract : public DiskTest {
protected:
    // Table "claves" with a text field C holding `keys` in record order, tag "C" on it.
    void makeKeys(const std::vector<std::string>& keys, const std::string& forText = "") {
        ASSERT_TRUE(DBCREATE("claves", {{"c", 'C', 3, 0}, {"v", 'N', 3, 0}}, Driver::name, true));
        for (const auto& k : keys) {
            DBAPPEND();
            FIELDPUT(1, Value(k));
        }
        if (!forText.empty()) ORDCONDSET({.forText = forText});
        ASSERT_TRUE(ORDCREATE("", "c", "c"));
    }
    std::string walk() {
        std::string s;
        for (DBGOTOP(); !EOF_(); DBSKIP(1)) s += FIELDGET(1).text() + std::to_string(RECNO()) + " ";
        return s;
    }
};

TYPED_TEST_SUITE(OrderContract, BothDrivers);

TYPED_TEST(OrderContract, SeekModes) {
    this->makeKeys({"B01", "A02", "A01"});
    struct Row {
        const char* key;
        bool soft, last;
        bool found;
        long rec;  // 4 = end of file
    } rows[] = {
        {"A", false, false, true, 3},   {"A", false, true, true, 2},   {"A5", true, false, false, 1},
        {"A5", false, false, false, 4}, {"C", true, false, false, 4},  {"B01", false, false, true, 1},
        {"", false, false, true, 3},    {"A01", false, true, true, 3}, {"0", true, false, false, 3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(DBSEEK(Value(r.key), r.soft, r.last), r.found);
        EXPECT_EQ(FOUND(), r.found);
        EXPECT_EQ(RECNO(), r.rec);
        EXPECT_EQ(EOF_(), r.rec == 4);
    }
    // A text longer than the key equals no key, even when what is past the key is blank.
    struct Longer {
        const char* key;
        bool soft, last;
        long rec;
    } longer[] = {
        {"A01 ", false, false, 4}, {"A01 ", true, false, 2}, {"A01 ", false, true, 4},
        {"A01X", true, false, 2},  {"B01 ", true, false, 4}, {"A011", true, true, 2},
    };
    for (const auto& r : longer) {
        SCOPED_TRACE(std::string("longer ") + r.key);
        EXPECT_FALSE(DBSEEK(Value(r.key), r.soft, r.last));
        EXPECT_EQ(RECNO(), r.rec);
    }
    // Scopes compare the same way: a longer top leaves its prefix out, a longer bottom keeps it.
    ORDSCOPE(0, Value("A01 "));
    ORDSCOPE(1, Value("B01 "));
    EXPECT_EQ(this->walk(), "A022 B011 ");
    ORDSCOPE(0);
    ORDSCOPE(1);
    // Seeking does not consult the hidden-deleted setting or the scope.
    ORDSCOPE(0, Value("B"));
    EXPECT_TRUE(DBSEEK(Value("A01")));
    EXPECT_EQ(RECNO(), 3);
}

TYPED_TEST(OrderContract, ScopesOnAPrefix) {
    this->makeKeys({"P01", "A00", "P00", "P02", "P00", "A01"});
    ORDSCOPE(0, Value("P00"));
    ORDSCOPE(1, Value("P00"));
    EXPECT_EQ(this->walk(), "P003 P005 ");
    EXPECT_EQ(ORDKEYCOUNT(), 2);
    DBGOTOP();
    EXPECT_EQ(ORDKEYNO(), 1);
    DBSKIP();
    EXPECT_EQ(ORDKEYNO(), 2);
    DBSKIP();
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(ORDKEYNO(), 0);
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 5);
    DBSKIP(-5);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 3);
    DBGOTO(1);  // outside the scope: no key number
    EXPECT_EQ(ORDKEYNO(), 0);
    EXPECT_EQ(ORDSCOPE(0, Value("Z")).text(), "P00");  // answers the previous value
    EXPECT_EQ(ORDSCOPE(1, Value("Z")).text(), "P00");
    DBGOTOP();
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(ORDKEYCOUNT(), 0);
    EXPECT_EQ(ORDSCOPE(0).text(), "Z");  // clearing answers the value it removes
    EXPECT_TRUE(ORDSCOPE(0, std::nullopt).isNil());
    ORDSCOPE(1);
    EXPECT_EQ(ORDKEYCOUNT(), 6);
}

TYPED_TEST(OrderContract, HiddenRecordsInKeyOrder) {
    this->makeKeys({"D", "A", "C", "B", "E"});  // key order: A2 B4 C3 D1 E5
    for (long r : {2L, 5L}) {
        DBGOTO(r);
        DBDELETE();
    }
    tableSettings().hideDeleted = true;
    EXPECT_EQ(this->walk(), "B  4 C  3 D  1 ");
    DBGOTOP();
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 4);
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 1);
    DBSETFILTER([] { return Value(FIELDGET(1).text() != "C  "); });
    EXPECT_EQ(this->walk(), "B  4 D  1 ");
    DBGOBOTTOM();
    DBSKIP(-1);
    EXPECT_EQ(RECNO(), 4);
    DBSETFILTER([] { return Value(false); });  // nothing visible
    DBGOBOTTOM();
    EXPECT_TRUE(EOF_());
    EXPECT_TRUE(BOF());
    DBCLEARFILTER();
    tableSettings().hideDeleted = false;
    EXPECT_EQ(this->walk(), "A  2 B  4 C  3 D  1 E  5 ");
}

TYPED_TEST(OrderContract, ConditionsFollowDeleteAndRecall) {
    ASSERT_TRUE(DBCREATE("votos", {{"casilla", 'N', 4, 0}, {"tipo", 'C', 2, 0}, {"puesto", 'C', 1, 0},
                                   {"distrito", 'N', 2, 0}},
                         TypeParam::name, true));
    ORDCONDSET({.forText = "!deleted()"});
    ASSERT_TRUE(ORDCREATE("", "casilla", "puesto + strZero(distrito,2) + strZero(casilla,4) + tipo"));
    ORDCONDSET({.forText = "deleted()"});
    ASSERT_TRUE(ORDCREATE("", "deleted", "deleted()"));
    for (int c : {12, 7}) {
        DBAPPEND();
        FIELDPUT(1, Value(c));
        FIELDPUT(2, Value("B1"));
        FIELDPUT(3, Value("P"));
        FIELDPUT(4, Value(0));
    }
    ORDSETFOCUS(Value("casilla"));
    EXPECT_TRUE(DBSEEK(Value("P000012B1")));
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(INDEXKEY(), "puesto + strZero(distrito,2) + strZero(casilla,4) + tipo");
    EXPECT_EQ(ORDFOR(), "!deleted()");
    DBDELETE();
    EXPECT_FALSE(DBSEEK(Value("P000012B1")));
    EXPECT_EQ(ORDKEYCOUNT(), 1);
    ORDSETFOCUS(Value("deleted"));
    EXPECT_TRUE(DBSEEK(Value(true)));
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(ORDKEYCOUNT(), 1);
    DBRECALL();
    EXPECT_EQ(ORDKEYCOUNT(), 0);
    ORDSETFOCUS(Value("casilla"));
    EXPECT_EQ(ORDKEYCOUNT(), 2);
    EXPECT_TRUE(DBSEEK(Value("P000012B1")));
}

TYPED_TEST(OrderContract, FocusAndOrderListRules) {
    this->makeKeys({"B", "A"});
    ORDCONDSET({.forText = "v > 0"});
    ASSERT_TRUE(ORDCREATE("", "v", "v"));
    EXPECT_EQ(ORDSETFOCUS(Value(1)), "V");       // answers the tag that was current
    EXPECT_EQ(ORDSETFOCUS(Value("v")), "C");     // names compare upper-cased
    EXPECT_EQ(ORDSETFOCUS(Value(7)), "V");       // another number: natural order
    EXPECT_EQ(ORDSETFOCUS(Value("nada")), "");
    EXPECT_EQ(ORDSETFOCUS(), "");                // NIL changes nothing
    EXPECT_EQ(ORDSETFOCUS(Value(2)), "");
    EXPECT_EQ(ORDSETFOCUS(), "V");
    ORDLISTCLEAR();
    EXPECT_EQ(ORDSETFOCUS(), "");
    // Orders belong to the table: a later open sees them, in natural order until the
    // order list is added.
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, TypeParam::name, "claves", "", true));
    EXPECT_EQ(ORDSETFOCUS(), "");
    ORDLISTADD("");
    EXPECT_EQ(ORDSETFOCUS(), "C");
    EXPECT_EQ(ORDKEYCOUNT(), 2);
    // Adding the order list again selects the first order, whatever was current; a tag
    // named with it is selected instead.
    for (const auto& [focus, tag, after] : {std::tuple{"v", "", "C"}, std::tuple{"", "", "C"},
                                           std::tuple{"c", "v", "V"}}) {
        SCOPED_TRACE(std::string(focus) + "/" + tag);
        ORDSETFOCUS(*focus ? Value(focus) : Value(0));
        ASSERT_TRUE(ORDLISTADD("", tag));
        EXPECT_EQ(ORDSETFOCUS(), after);
    }
    ORDSETFOCUS(Value(1));
    EXPECT_EQ(DBORDERINFO(DBOI_KEYCOUNT, "", Value("v")).num(), 0);
    EXPECT_EQ(INDEXKEY(2), "v");
    EXPECT_EQ(INDEXKEY(3), "");
    // The order bag: the table itself in memory, the compound index file on disk.
    bool disk = std::string(TypeParam::name) == "DBFCDX";
    EXPECT_EQ(DBORDERINFO(DBOI_BAGNAME).text(), disk ? this->folder + "/claves.cdx" : "");
    EXPECT_TRUE(DBORDERINFO(12345).isNil());
    // Replacing a tag keeps one order of that name, at the end.
    ORDCREATE("", "c", "v");
    EXPECT_EQ(DBORDERINFO(DBOI_ORDERCOUNT).num(), 2);
    EXPECT_EQ(INDEXKEY(1), "v");
    EXPECT_EQ(ORDNAME(2), "C");
}

TYPED_TEST(OrderContract, CreationHonoursStartNextWhileAndProgress) {
    ASSERT_TRUE(DBCREATE("n", {{"n", 'N', 5, 0}}, TypeParam::name, true));
    for (int i = 1; i <= 10; ++i) {
        DBAPPEND();
        FIELDPUT(1, Value(i));
    }
    std::vector<long> progress;
    OrderCondition c;
    c.evalBlock = [&] {
        progress.push_back(RECNO());
        return Value(true);
    };
    c.evalStep = 4;
    ORDCONDSET(c);
    ASSERT_TRUE(ORDCREATE("", "all", "n"));
    EXPECT_EQ(ORDKEYCOUNT(), 10);
    EXPECT_EQ(progress, (std::vector<long>{1, 5, 9}));

    ORDCONDSET({.startRecord = 3, .next = 4});
    ASSERT_TRUE(ORDCREATE("", "next", "n"));
    EXPECT_EQ(ORDKEYCOUNT(), 4);
    DBGOTOP();
    EXPECT_EQ(RECNO(), 3);

    ORDCONDSET({.whileBlock = [] { return Value(FIELDGET(1).num() < 6); }, .startRecord = 2});
    ASSERT_TRUE(ORDCREATE("", "while", "n"));
    EXPECT_EQ(ORDKEYCOUNT(), 4);

    OrderCondition stop;
    stop.evalBlock = [] { return Value(RECNO() < 5); };
    stop.evalStep = 2;
    ORDCONDSET(stop);
    ASSERT_TRUE(ORDCREATE("", "stop", "n"));
    EXPECT_EQ(ORDKEYCOUNT(), 4);  // records 1..4; the check at record 5 stops

    // The pending condition is used once.
    ASSERT_TRUE(ORDCREATE("", "plain", "n"));
    EXPECT_EQ(ORDKEYCOUNT(), 10);
}

TYPED_TEST(OrderContract, KeysOfEveryTypeAndBadKeys) {
    ASSERT_TRUE(DBCREATE("tipos", {{"d", 'D', 8, 0}, {"n", 'N', 6, 2}, {"l", 'L', 1, 0}}, TypeParam::name, true));
    const int days[] = {20, 5, 12};
    for (int i = 0; i < 3; ++i) {
        DBAPPEND();
        FIELDPUT(1, Value(Date::fromYmd(2026, 12, days[i])));
        FIELDPUT(2, Value(10.5 - i * 7));
        FIELDPUT(3, Value(i == 1));
    }
    ASSERT_TRUE(ORDCREATE("", "d", "d"));
    EXPECT_TRUE(DBSEEK(Value(Date::fromYmd(2026, 12, 12))));
    EXPECT_EQ(RECNO(), 3);
    DBGOTOP();
    EXPECT_EQ(RECNO(), 2);
    ASSERT_TRUE(ORDCREATE("", "n", "n"));
    DBGOTOP();
    EXPECT_EQ(RECNO(), 3);  // -3.5 first
    EXPECT_TRUE(DBSEEK(Value(3.5)));
    EXPECT_EQ(RECNO(), 2);
    ASSERT_TRUE(ORDCREATE("", "l", "l"));
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 2);  // false before true

    // A key text that does not compile is an error record naming the position.
    EXPECT_FALSE(ORDCREATE("", "mal", "n + (d"));
    ASSERT_FALSE(this->errors.empty());
    EXPECT_EQ(this->errors.back().genCode, EG_SYNTAX);
    EXPECT_EQ(DBORDERINFO(DBOI_ORDERCOUNT).num(), 3);
    // A key that fails on evaluation leaves no half-built order and unwinds.
    EXPECT_THROW(ORDCREATE("", "mal", "n + l"), ErrorException);
    EXPECT_EQ(DBORDERINFO(DBOI_ORDERCOUNT).num(), 3);
    // A replacement that fails keeps the tag it was to replace, whole.
    EXPECT_THROW(ORDCREATE("", "n", "n + l"), ErrorException);
    EXPECT_EQ(DBORDERINFO(DBOI_ORDERCOUNT).num(), 3);
    ORDSETFOCUS(Value("n"));
    EXPECT_EQ(INDEXKEY(0), "n");
    EXPECT_EQ(ORDKEYCOUNT(), 3);
    EXPECT_TRUE(DBSEEK(Value(-3.5)));
    EXPECT_EQ(RECNO(), 3);
    // A seek with no current order is refused.
    ORDSETFOCUS(Value(0));
    size_t before = this->errors.size();
    EXPECT_FALSE(DBSEEK(Value(1)));
    EXPECT_EQ(this->errors.size(), before + 1);
    EXPECT_EQ(this->errors.back().genCode, EG_NOORDER);
}

TYPED_TEST(OrderContract, AWriteWhoseKeyFailsChangesNothing) {
    ASSERT_TRUE(DBCREATE("k", {{"a", 'C', 3, 0}, {"b", 'N', 3, 0}}, TypeParam::name, true));
    DBAPPEND();
    FIELDPUT(1, Value("abc"));
    // The key turns into an error when b is 7 (a zero divisor).
    ASSERT_TRUE(ORDCREATE("", "k", "a + str(10 / (b - 7))"));
    EXPECT_THROW(FIELDPUT(2, Value(7)), ErrorException);
    EXPECT_EQ(FIELDGET(2).num(), 0);
    EXPECT_EQ(ORDKEYCOUNT(), 1);
    EXPECT_TRUE(DBSEEK(Value("abc")));
}

TYPED_TEST(OrderContract, WholeRecordWritesAreAllOrNothing) {
    this->makeKeys({"AAA", "BBB"});
    DBGOTO(1);
    // NIL positions are left alone; the order follows the new key once.
    ASSERT_TRUE(DBPUTREC({Value("ZZZ"), Value()}));
    EXPECT_EQ(FIELDGET(1).text(), "ZZZ");
    EXPECT_EQ(FIELDGET(2).num(), 0);
    EXPECT_EQ(this->walk(), "BBB2 ZZZ1 ");
    // A value that cannot be stored refuses the whole record.
    DBGOTO(2);
    EXPECT_FALSE(DBPUTREC({Value("CCC"), Value(12345)}));
    EXPECT_EQ(this->errors.back().genCode, EG_DATAWIDTH);
    DBGOTO(2);
    EXPECT_EQ(FIELDGET(1).text(), "BBB");
    EXPECT_FALSE(DBPUTREC({Value("x")}, 2));  // text into the numeric field: wrong type
    EXPECT_FALSE(DBPUTREC({Value("X"), Value(1), Value(2)}));  // past the last field
    EXPECT_EQ(FIELDGET(2).num(), 0);
    EXPECT_TRUE(DBPUTREC({Value(7)}, 2));
    EXPECT_EQ(FIELDGET(2).num(), 7);
    // A key that fails on the new values restores every field written.
    ASSERT_TRUE(ORDCREATE("", "k", "c + str(10 / (v - 9))"));
    DBGOTO(2);
    EXPECT_THROW(DBPUTREC({Value("QQQ"), Value(9)}), ErrorException);
    EXPECT_EQ(FIELDGET(1).text(), "BBB");
    EXPECT_EQ(FIELDGET(2).num(), 7);
    EXPECT_EQ(ORDKEYCOUNT(), 2);
}

// Where the drivers differ: equal keys keep the order in which they got the key in memory,
// and the order of their record numbers on disk, as the compound index layout has them.
using MemoryOrders = OrderContract<MemoryDriver>;
using DiskOrders = OrderContract<DiskDriver>;

TEST_F(MemoryOrders, EqualKeysKeepTheOrderInWhichTheyGotTheKey) {
    this->makeKeys({"X", "Y", "X", "X"});
    EXPECT_EQ(this->walk(), "X  1 X  3 X  4 Y  2 ");
    DBGOTO(2);
    FIELDPUT(1, Value("X"));  // goes after the records that already had X
    EXPECT_EQ(this->walk(), "X  1 X  3 X  4 X  2 ");
    DBGOTO(3);
    FIELDPUT(2, Value(5));  // not part of the key: keeps its place
    EXPECT_EQ(this->walk(), "X  1 X  3 X  4 X  2 ");
    DBGOTO(1);
    FIELDPUT(1, Value("X"));  // same key written again: keeps its place
    EXPECT_EQ(this->walk(), "X  1 X  3 X  4 X  2 ");
}

TEST_F(DiskOrders, EqualKeysFollowTheirRecordNumbers) {
    this->makeKeys({"X", "Y", "X", "X"});
    EXPECT_EQ(this->walk(), "X  1 X  3 X  4 Y  2 ");
    DBGOTO(2);
    FIELDPUT(1, Value("X"));
    EXPECT_EQ(this->walk(), "X  1 X  2 X  3 X  4 ");
    DBGOTO(3);
    FIELDPUT(2, Value(5));  // not part of the key: keeps its place
    EXPECT_EQ(this->walk(), "X  1 X  2 X  3 X  4 ");
}

}  // namespace
