// The cases where the memory engine and the disk driver promise the same: navigation flags
// and record numbers, append, delete and recall, hidden records, refused values, sharing
// conflicts and the record lock that shared changes need. Each case runs over both drivers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TableLayer.h"
#include "dbfCdxDriver.h"
#include "testSupport.h"

namespace {

template <class Driver>
class DriverContract : public DiskTest {
  protected:
    // Table "t" with N = 1..count, opened in a new area (shared or not) with `alias`.
    void numbered(int count, bool shared = false, const std::string& alias = "A") {
        ASSERT_TRUE(DBCREATE("t", {{"n", 'N', 5, 0}, {"c", 'C', 4, 0}}, Driver::name));
        ASSERT_TRUE(DBUSEAREA(true, Driver::name, "t", alias, shared));
        for (int i = 1; i <= count; ++i) {
            ASSERT_TRUE(DBAPPEND());
            ASSERT_EQ(FIELDPUT(1, Value(i)).num(), i);
        }
        DBUNLOCK();
    }
    bool use(const std::string& alias, bool shared) {
        return DBUSEAREA(true, Driver::name, "t", alias, shared);
    }
    static bool onDisk() { return std::string(Driver::name) == "DBFCDX"; }
    // The bytes of the disk table "t" ("" for the memory engine).
    std::string tableBytes() {
        if (!onDisk()) return "";
        std::ifstream in(this->folder + "/t.dbf", std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
};

TYPED_TEST_SUITE(DriverContract, BothDrivers);

TYPED_TEST(DriverContract, EmptyTable) {
    this->numbered(0);
    DBGOTOP();
    EXPECT_TRUE(BOF());
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(LASTREC(), 0);
    DBSKIP(1);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(FIELDGET(2).text(), "    ");
    EXPECT_FALSE(DELETED());
}

TYPED_TEST(DriverContract, NavigationFlagsAndRecordNumbers) {
    this->numbered(3);
    struct Step {
        std::function<void()> move;
        long recno;
        bool bof, eof;
        double n;
    };
    const Step steps[] = {
        {[] { DBGOTOP(); }, 1, false, false, 1},  {[] { DBSKIP(-1); }, 1, true, false, 1},
        {[] { DBSKIP(1); }, 2, false, false, 2},  {[] { DBGOBOTTOM(); }, 3, false, false, 3},
        {[] { DBSKIP(1); }, 4, false, true, 0},   {[] { DBSKIP(1); }, 4, false, true, 0},
        {[] { DBSKIP(-1); }, 3, false, false, 3}, {[] { DBGOTO(0); }, 4, false, true, 0},
        {[] { DBGOTO(77); }, 4, false, true, 0},  {[] { DBGOTO(2); }, 2, false, false, 2},
        {[] { DBSKIP(-5); }, 1, true, false, 1},  {[] { DBSKIP(7); }, 4, false, true, 0},
        {[] { DBSKIP(0); }, 4, false, true, 0},   {[] { DBGOTO(1); }, 1, false, false, 1},
    };
    int i = 0;
    for (const Step& s : steps) {
        s.move();
        EXPECT_EQ(RECNO(), s.recno) << "step " << i;
        EXPECT_EQ(BOF(), s.bof) << "step " << i;
        EXPECT_EQ(EOF_(), s.eof) << "step " << i;
        EXPECT_EQ(FIELDGET(1).num(), s.n) << "step " << i;
        ++i;
    }
}

TYPED_TEST(DriverContract, DeletedAndFilteredRecordsAreHidden) {
    this->numbered(5);
    for (long r : {1L, 3L, 5L}) {
        DBGOTO(r);
        ASSERT_TRUE(DBDELETE());
        EXPECT_TRUE(DELETED());
    }
    tableSettings().hideDeleted = true;
    DBGOTOP();
    EXPECT_EQ(RECNO(), 2);
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 2);
    DBSKIP();
    EXPECT_EQ(RECNO(), 4);
    DBSKIP();
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 6);
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 4);
    DBSETFILTER([] { return Value(FIELDGET(1).num() != 2); });
    DBGOTOP();
    EXPECT_EQ(RECNO(), 4);
    DBCLEARFILTER();
    tableSettings().hideDeleted = false;
    DBGOTO(3);
    ASSERT_TRUE(DBRECALL());
    EXPECT_FALSE(DELETED());
    EXPECT_EQ(LASTREC(), 5);
    ASSERT_TRUE(DBPACK_());
    EXPECT_EQ(LASTREC(), 3);
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(FIELDGET(1).num(), 2);
    ASSERT_TRUE(DBZAP_());
    EXPECT_EQ(LASTREC(), 0);
    EXPECT_TRUE(EOF_());
}

TYPED_TEST(DriverContract, RefusedValuesChangeNothing) {
    this->numbered(1);
    DBGOTO(1);
    FIELDPUT(2, Value("ab"));
    EXPECT_EQ(FIELDGET(2).text(), "ab  ");
    EXPECT_TRUE(FIELDPUT(1, Value(123456)).isNil());
    EXPECT_EQ(this->errors.back().genCode, EG_DATAWIDTH);
    EXPECT_EQ(this->errors.back().subCode, 1021);
    EXPECT_TRUE(FIELDPUT(2, Value(3)).isNil());
    EXPECT_EQ(this->errors.back().genCode, EG_DATATYPE);
    EXPECT_EQ(this->errors.back().subCode, 1020);
    EXPECT_FALSE(DBPUTREC({Value(9), Value(true)}));
    EXPECT_EQ(FIELDGET(1).num(), 1);
    EXPECT_EQ(FIELDGET(2).text(), "ab  ");
    EXPECT_TRUE(DBPUTREC({Value(9), Value("xyzzy")}));
    EXPECT_EQ(FIELDGET(1).num(), 9);
    EXPECT_EQ(FIELDGET(2).text(), "xyzz");
}

TYPED_TEST(DriverContract, SharedAndExclusiveOpensConflict) {
    this->numbered(2, true, "A");
    ASSERT_TRUE(this->use("B", true));
    EXPECT_FALSE(this->use("C", false));
    EXPECT_EQ(this->errors.back().genCode, EG_OPEN);
    EXPECT_EQ(this->errors.back().description,
              "Open error(Lock failure - already opened in shared mode)");
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(SELECT("C"), 0);
    DBCLOSEALL();
    ASSERT_TRUE(this->use("X", false));
    EXPECT_FALSE(NETERR());
    EXPECT_FALSE(this->use("Y", true));
    EXPECT_EQ(this->errors.back().description,
              "Open error(Lock failure - already opened in exclusive mode)");
    EXPECT_TRUE(NETERR());
}

TYPED_TEST(DriverContract, SharedAreasLockRecordsAgainstEachOther) {
    this->numbered(3, true, "A");
    ASSERT_TRUE(this->use("B", true));
    DBSELECTAREA("A");
    DBGOTO(1);
    ASSERT_TRUE(RLOCK());
    ASSERT_TRUE(DBDELETE());
    DBSELECTAREA("B");
    EXPECT_FALSE(DBRLOCK(1));
    EXPECT_TRUE(DBRLOCK(2));
    DBGOTO(3);
    EXPECT_FALSE(DBDELETE());
    EXPECT_EQ(this->errors.back().genCode, EG_UNLOCKED);
    EXPECT_EQ(this->errors.back().subCode, 1022);
    EXPECT_EQ(this->errors.back().description, "Lock required");
    EXPECT_FALSE(DBPACK_());
    EXPECT_EQ(this->errors.back().genCode, EG_UNLOCKED);
    EXPECT_FALSE(DBZAP_());
    EXPECT_EQ(this->errors.back().genCode, EG_SHARED);
    EXPECT_EQ(this->errors.back().subCode, 1023);
    DBSELECTAREA("A");
    DBUNLOCK();
    DBSELECTAREA("B");
    EXPECT_TRUE(DBRLOCK(1));
    ASSERT_TRUE(DBAPPEND());
    EXPECT_EQ(RECNO(), 4);
    DBSELECTAREA("A");
    EXPECT_EQ(LASTREC(), 4);
    EXPECT_FALSE(DBRLOCK(4));  // a shared append locks the new record
    DBCLOSEALL();
}

TYPED_TEST(DriverContract, ACreateRefusedForItsAliasChangesNothing) {
    // The alias X belongs to the table itself, or to another table while "t" is closed.
    for (bool sameTable : {true, false}) {
        SCOPED_TRACE(sameTable ? "t open as X" : "u open as X");
        this->numbered(3, false, sameTable ? "X" : "A");
        DBCLOSEALL();
        std::string before = this->tableBytes();
        if (sameTable) {
            ASSERT_TRUE(this->use("X", true));
        } else {
            ASSERT_TRUE(DBCREATE("u", {{"u", 'L', 1, 0}}, TypeParam::name));
            ASSERT_TRUE(DBUSEAREA(true, TypeParam::name, "u", "X"));
        }
        this->errors.clear();
        EXPECT_FALSE(DBCREATE("t", {{"z", 'C', 2, 0}}, TypeParam::name, true, "x"));
        ASSERT_EQ(this->errors.size(), 1u);
        EXPECT_EQ(this->errors[0].genCode, EG_DUPALIAS);
        EXPECT_EQ(SELECT(""), SELECT("X"));  // the current area is the one it was
        DBCLOSEALL();
        EXPECT_EQ(this->tableBytes(), before);
        ASSERT_TRUE(this->use("T", true));
        EXPECT_EQ(FCOUNT(), 2);
        EXPECT_EQ(LASTREC(), 3);
        DBGOBOTTOM();
        EXPECT_EQ(FIELDGET(1).num(), 3);
        DBCLOSEALL();
    }
}

// Numbers are rounded half away from zero, as the value scaled by the power of ten gives it
// (1.005 is a little less than itself in binary and 2.675 a little more when scaled), and
// the rounded text must fit the field.
TYPED_TEST(DriverContract, NumbersRoundHalfAwayFromZero) {
    Structure numbers{{"n0", 'N', 4, 0}, {"n2", 'N', 6, 2}, {"n31", 'N', 3, 1}};
    ASSERT_TRUE(DBCREATE("r", numbers, TypeParam::name, true));
    ASSERT_TRUE(DBAPPEND());
    struct Row {
        int field;
        double value;
        bool stored;
        double expected;
    } rows[] = {
        {1, 2.5, true, 3},       {1, -2.5, true, -3},     {1, 0.5, true, 1},
        {1, 1.5, true, 2},       {1, -0.4, true, 0},      {1, 999.5, true, 1000},
        {1, 9999.5, false, 0},   {2, 1.005, true, 1.00},  {2, 0.125, true, 0.13},
        {2, -0.125, true, -0.13}, {2, 2.675, true, 2.68}, {2, 1.045, true, 1.05},
        {2, -0.004, true, 0},    {2, 0.995, true, 1.00},  {3, 9.94, true, 9.9},
        {3, 9.95, false, 0},     {3, -0.95, false, 0},    {3, 0.25, true, 0.3},
        {3, 0.05, true, 0.1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.field) + ": " + std::to_string(r.value));
        FIELDPUT(r.field, Value(0));
        this->errors.clear();
        bool stored = !FIELDPUT(r.field, Value(r.value)).isNil();
        EXPECT_EQ(stored, r.stored);
        if (!r.stored) {
            ASSERT_EQ(this->errors.size(), 1u);
            EXPECT_EQ(this->errors[0].genCode, EG_DATAWIDTH);
        }
        EXPECT_DOUBLE_EQ(FIELDGET(r.field).num(), r.expected);
        // The whole-record write stores the same.
        FIELDPUT(r.field, Value(0));
        std::vector<Value> record(size_t(r.field));
        record.back() = Value(r.value);
        EXPECT_EQ(DBPUTREC(record), r.stored);
        EXPECT_DOUBLE_EQ(FIELDGET(r.field).num(), r.expected);
    }
}

TYPED_TEST(DriverContract, FieldNumbersOutOfRangeAreErrors) {
    this->numbered(1);
    DBGOTO(1);
    struct Row {
        int field;
        bool put;
    } rows[] = {{0, false}, {3, false}, {-1, false}, {0, true}, {3, true}, {99, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.put ? "FIELDPUT " : "FIELDGET ") + std::to_string(r.field));
        this->errors.clear();
        Value answer = r.put ? FIELDPUT(r.field, Value(5)) : FIELDGET(r.field);
        EXPECT_TRUE(answer.isNil());
        ASSERT_EQ(this->errors.size(), 1u);
        EXPECT_EQ(this->errors[0].genCode, EG_BOUND);
        EXPECT_EQ(this->errors[0].operation, r.put ? "FIELDPUT" : "FIELDGET");
        EXPECT_NE(this->errors[0].description.find("field " + std::to_string(r.field) + " of 2"),
                  std::string::npos);
    }
    EXPECT_EQ(FIELDGET(1).num(), 1);
    EXPECT_EQ(FIELDGET(2).text(), "    ");
    // At the end of file too.
    DBGOTO(0);
    this->errors.clear();
    EXPECT_TRUE(FIELDGET(3).isNil());
    EXPECT_EQ(this->errors.size(), 1u);
}

}  // namespace
