// The table layer's own contract, exercised over the memory driver: areas, aliases,
// drivers, evaluation in another alias, DBEVAL and the errors of the layer.
#include <gtest/gtest.h>

#include "TableLayer.h"
#include "arrayRdd.h"
#include "testSupport.h"

namespace {

class TableLayer : public EngineTest {};

TEST_F(TableLayer, AreasAndAliases) {
    ASSERT_TRUE(DBCREATE("uno", {{"a", 'C', 2, 0}}, "ARRAYRDD", false));
    DBSELECTAREA(0);
    int free = SELECT();
    ASSERT_TRUE(DBUSEAREA(false, "ARRAYRDD", "uno", "primero", true));
    EXPECT_EQ(SELECT(), free);
    EXPECT_EQ(ALIAS(), "PRIMERO");
    EXPECT_EQ(SELECT("primero"), free);
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "uno.", "", true));  // one trailing dot dropped
    EXPECT_EQ(ALIAS(), "UNO");
    EXPECT_EQ(SELECT(), free + 1);
    // An alias in use is refused.
    EXPECT_FALSE(DBUSEAREA(true, "ARRAYRDD", "uno", "primero", true));
    EXPECT_EQ(errors.back().genCode, EG_DUPALIAS);
    EXPECT_EQ(SELECT("PRIMERO"), free);
    // Closing frees number and alias.
    DBSELECTAREA("primero");
    DBCLOSEAREA();
    EXPECT_EQ(SELECT("primero"), 0);
    EXPECT_FALSE(USED());
    DBSELECTAREA(0);
    EXPECT_EQ(SELECT(), free);
    EXPECT_FALSE(DBSELECTAREA("nadie"));
    EXPECT_EQ(errors.back().genCode, EG_NOALIAS);
}

TEST_F(TableLayer, CreateWithKeepOpenMakesTheNewAreaCurrent) {
    ASSERT_TRUE(DBCREATE("a", {{"x", 'N', 3, 0}}, "ARRAYRDD", true));
    int a = SELECT();
    ASSERT_TRUE(DBCREATE("b", {{"y", 'N', 3, 0}}, "ARRAYRDD", true));
    EXPECT_NE(SELECT(), a);
    EXPECT_EQ(ALIAS(), "B");
    ASSERT_TRUE(ORDCREATE("", "y", "y"));  // builds on the new table
    EXPECT_EQ(INDEXKEY(), "y");
    int b = SELECT();
    ASSERT_TRUE(DBCREATE("c", {{"z", 'N', 3, 0}}, "ARRAYRDD", false));
    EXPECT_EQ(SELECT(), b);  // without keep-open the current area stays
    EXPECT_EQ(SELECT("C"), 0);
    EXPECT_TRUE(HB_FILEARRAYRDD(Value("c")));
    // The table is closed and no longer exclusive: it opens again.
    EXPECT_TRUE(DBUSEAREA(true, "ARRAYRDD", "c", "", false));
}

TEST_F(TableLayer, EvaluationInAnotherAliasAlwaysRestoresTheCurrentArea) {
    ASSERT_TRUE(DBCREATE("otra", {{"x", 'N', 3, 0}}, "ARRAYRDD", true));
    DBAPPEND();
    FIELDPUT(1, Value(42));
    ASSERT_TRUE(DBCREATE("esta", {{"y", 'C', 3, 0}}, "ARRAYRDD", true));
    int here = SELECT();
    EXPECT_EQ(evalInAlias("otra", [] { return FIELDGET(1); }).num(), 42);
    EXPECT_EQ(SELECT(), here);
    EXPECT_THROW(evalInAlias("otra", []() -> Value { throw ErrorException(ErrorRecord{}); }),
                 ErrorException);
    EXPECT_EQ(SELECT(), here);
    // Compiled expressions read other aliases the same way.
    Block b = compileBlock("otra->x * 2");
    ASSERT_TRUE(b);
    EXPECT_EQ(b().num(), 84);
    EXPECT_EQ(SELECT(), here);
    EXPECT_TRUE(evalInAlias("ninguna", [] { return Value(1); }).isNil());
    EXPECT_EQ(errors.back().genCode, EG_NOALIAS);
}

TEST_F(TableLayer, DriversAndDefaults) {
    EXPECT_EQ(RDDREGISTER("ARRAYRDD"), 1);  // already registered
    EXPECT_EQ(RDDREGISTER("NOEXISTE"), 3);
    EXPECT_GE(arrayRddId(), 0);
    std::string previous = RDDSETDEFAULT("arrayrdd");
    EXPECT_EQ(RDDSETDEFAULT(), "ARRAYRDD");
    ASSERT_TRUE(DBCREATE("pordefecto", {{"x", 'N', 3, 0}}, "", true));
    EXPECT_EQ(RDDNAME(), "ARRAYRDD");
    RDDSETDEFAULT("NOEXISTE");
    EXPECT_FALSE(DBUSEAREA(true, "", "pordefecto"));
    EXPECT_EQ(errors.back().genCode, EG_ARG);
    RDDSETDEFAULT(previous);
    // Shared or not follows the exclusive setting when the caller does not say.
    DBCLOSEAREA();
    tableSettings().exclusive = false;
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "pordefecto", "s1"));
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "pordefecto", "s2"));
    tableSettings().exclusive = true;
    EXPECT_FALSE(DBUSEAREA(true, "ARRAYRDD", "pordefecto", "s3"));
}

TEST_F(TableLayer, OperationsOnAnUnusedAreaAreHarmless) {
    DBSELECTAREA(0);
    EXPECT_TRUE(EOF_());
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 0);
    EXPECT_EQ(LASTREC(), 0);
    EXPECT_TRUE(FIELDGET(1).isNil());
    EXPECT_EQ(ALIAS(), "");
    EXPECT_FALSE(DBSKIP(1));
    EXPECT_EQ(errors.back().genCode, EG_NOTABLE);
    EXPECT_EQ(errors.back().description, "Workarea not in use");
    EXPECT_FALSE(DBAPPEND());
    EXPECT_EQ(ORDKEYCOUNT(), 0);
}

TEST_F(TableLayer, DbEvalScopes) {
    makeNumbered("eval", 10);
    long sum = 0;
    auto add = [&] {
        sum += long(FIELDGET(1).num());
        return Value();
    };
    DBEVAL(add);
    EXPECT_EQ(sum, 55);
    sum = 0;
    DBEVAL(add, {.forBlock = [] { return Value(long(FIELDGET(1).num()) % 2 == 0); }});
    EXPECT_EQ(sum, 30);
    sum = 0;
    DBGOTO(4);
    DBEVAL(add, {.next = 3});
    EXPECT_EQ(sum, 4 + 5 + 6);
    sum = 0;
    DBGOTO(8);
    DBEVAL(add, {.rest = true});
    EXPECT_EQ(sum, 8 + 9 + 10);
    sum = 0;
    DBGOTO(1);
    DBEVAL(add, {.whileBlock = [] { return Value(FIELDGET(1).num() < 4); }});
    EXPECT_EQ(sum, 6);
    sum = 0;
    DBEVAL(add, {.record = 7});
    EXPECT_EQ(sum, 7);
}

}  // namespace
