// The in-memory engine through the table layer: registry, opens, fields, navigation,
// locks, errors with their exact texts, orders, seeks and scopes.
#include <gtest/gtest.h>

#include "TableLayer.h"
#include "arrayRdd.h"
#include "testSupport.h"

namespace {

Structure votosLike() {
    return {{"puesto", 'C', 1, 0}, {"distrito", 'N', 2, 0}, {"casilla", 'N', 4, 0},
            {"tipo", 'C', 2, 0},   {"nombre", 'C', 6, 0},   {"memo", 'M', 10, 0},
            {"fecha", 'D', 8, 0},  {"ok", 'L', 1, 0},       {"monto", 'N', 7, 2}};
}

class ArrayRdd : public EngineTest {};

TEST_F(ArrayRdd, RegistryAnswersByUpperCaseName) {
    EXPECT_FALSE(HB_FILEARRAYRDD(Value("votos")));
    ASSERT_TRUE(DBCREATE("votos", votosLike(), "ARRAYRDD", false));
    EXPECT_TRUE(HB_FILEARRAYRDD(Value("votos")));
    EXPECT_TRUE(HB_FILEARRAYRDD(Value("VOTOS")));
    EXPECT_FALSE(HB_FILEARRAYRDD(Value(3)));
    EXPECT_EQ(HB_ERASEARRAYRDD(Value(3)), 1);
    EXPECT_EQ(HB_ERASEARRAYRDD(Value("nada")), 1);
}

TEST_F(ArrayRdd, OpenErrorsCarryExactTextsCodesAndFlags) {
    EXPECT_FALSE(DBUSEAREA(true, "ARRAYRDD", "nunca", "", true));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].genCode, 21);
    EXPECT_EQ(errors[0].subCode, 1000);
    EXPECT_EQ(errors[0].description, "Open error, memory file not found");
    EXPECT_EQ(errors[0].fileName, "nunca");
    EXPECT_TRUE(errors[0].canDefault);
    EXPECT_FALSE(errors[0].canRetry);
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(SELECT("NUNCA"), 0);

    ASSERT_TRUE(DBCREATE("t", votosLike(), "ARRAYRDD", false));
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "t", "A1", true));
    EXPECT_FALSE(NETERR());
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "t", "A2", true));
    EXPECT_FALSE(DBUSEAREA(true, "ARRAYRDD", "t", "A3", false));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].description, "Open error(Lock failure - already opened in shared mode)");
    EXPECT_EQ(errors[1].genCode, 21);
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(SELECT("A3"), 0);

    DBSELECTAREA("A1");
    DBCLOSEAREA();
    DBSELECTAREA("A2");
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "t", "X", false));
    EXPECT_FALSE(DBUSEAREA(true, "ARRAYRDD", "t", "Y", true));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[2].description, "Open error(Lock failure - already opened in exclusive mode)");
    EXPECT_EQ(errors[2].subsystem, "ARRAYRDD");
}

TEST_F(ArrayRdd, EraseRefusesAnOpenTableAndUnwinds) {
    ASSERT_TRUE(DBCREATE("borrar", votosLike(), "ARRAYRDD", true));
    EXPECT_THROW(HB_ERASEARRAYRDD(Value("borrar")), ErrorException);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].genCode, 30);
    EXPECT_EQ(errors[0].subCode, 1000);
    EXPECT_EQ(errors[0].description, "Operation not supported (database in use)");
    EXPECT_TRUE(errors[0].canDefault);
    DBCLOSEAREA();
    EXPECT_EQ(HB_ERASEARRAYRDD(Value("borrar")), 0);
    EXPECT_FALSE(DBUSEAREA(true, "ARRAYRDD", "borrar"));
    EXPECT_EQ(errors.back().description, "Open error, memory file not found");
}

TEST_F(ArrayRdd, RegistryFunctionsBeforeTheDriverIsReady) {
    arrayRddResetForTests(false);
    try {
        HB_FILEARRAYRDD(Value("x"));
        FAIL();
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.record().description, "Operation not supported (ARRAYRDD not inizialized)");
        EXPECT_EQ(e.record().genCode, 30);
    }
    arrayRddResetForTests(true);
    try {
        HB_ERASEARRAYRDD(Value("x"));
        FAIL();
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.record().description, "Operation not supported (ARRAYRDD not in use)");
        EXPECT_EQ(e.record().subCode, 1000);
        EXPECT_TRUE(e.record().canDefault);
    }
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(ArrayRdd, FieldConversionsAndRejectedWrites) {
    ASSERT_TRUE(DBCREATE("f", votosLike(), "ARRAYRDD", true));
    ASSERT_TRUE(DBAPPEND());
    EXPECT_EQ(FIELDPUT(5, Value("Partido Socialista Obrero")).text(), "Partido Socialista Obrero");
    EXPECT_EQ(FIELDGET(5).text(), "Partid");
    FIELDPUT(5, Value("PP"));
    EXPECT_EQ(FIELDGET(5).text(), "PP    ");
    FIELDPUT(9, Value(3.14159));
    EXPECT_EQ(FIELDGET(9).num(), 3.14);
    FIELDPUT(6, Value("texto largo para memo"));  // text goes into a memo as passed
    EXPECT_EQ(FIELDGET(6).text(), "texto largo para memo");
    FIELDPUT(7, Value(Date::fromYmd(2026, 12, 7)));
    EXPECT_EQ(FIELDGET(7).date().dtos(), "20261207");

    // A number that does not fit and a value of the wrong type are refused, nothing changes.
    FIELDPUT(3, Value(42));
    EXPECT_TRUE(FIELDPUT(3, Value(12345)).isNil());
    EXPECT_EQ(FIELDGET(3).num(), 42);
    EXPECT_EQ(errors.back().genCode, EG_DATAWIDTH);
    EXPECT_TRUE(FIELDPUT(5, Value(7)).isNil());
    EXPECT_EQ(FIELDGET(5).text(), "PP    ");
    EXPECT_EQ(errors.back().genCode, EG_DATATYPE);
    EXPECT_TRUE(FIELDPUT(8, Value("T")).isNil());
    EXPECT_EQ(FIELDPUT(3, Value(-999)).num(), -999);
    EXPECT_TRUE(FIELDGET(0).isNil());
    EXPECT_TRUE(FIELDGET(99).isNil());
}

TEST_F(ArrayRdd, EmptyTableAndEndOfFile) {
    ASSERT_TRUE(DBCREATE("vacia", votosLike(), "ARRAYRDD", true));
    DBGOTOP();
    EXPECT_TRUE(BOF());
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(FIELDGET(5).text(), "      ");
    EXPECT_TRUE(FIELDGET(7).date().empty());
    EXPECT_EQ(FIELDGET(3).num(), 0);
    EXPECT_FALSE(DELETED());
    EXPECT_TRUE(FIELDPUT(3, Value(5)).num() == 5);  // accepted at end of file, not stored
    EXPECT_EQ(LASTREC(), 0);
}

TEST_F(ArrayRdd, NaturalNavigation) {
    makeNumbered("nav", 5);
    DBGOTO(3);
    EXPECT_EQ(RECNO(), 3);
    DBGOTO(-1);
    EXPECT_EQ(RECNO(), 1);
    EXPECT_TRUE(BOF());
    DBGOTO(0);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 6);
    DBGOTO(99);
    EXPECT_EQ(RECNO(), 6);
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 5);
    DBSKIP(1);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 6);
    DBSKIP(-1);
    EXPECT_EQ(RECNO(), 5);
    DBGOTOP();
    DBSKIP(-1);
    EXPECT_EQ(RECNO(), 1);
    EXPECT_TRUE(BOF());
    DBSKIP(0);
    EXPECT_TRUE(BOF());
    DBSKIP(2);
    EXPECT_EQ(RECNO(), 3);
    DBSKIP(-10);
    EXPECT_EQ(RECNO(), 1);
    EXPECT_TRUE(BOF());
}

TEST_F(ArrayRdd, HiddenRecordsAndFilters) {
    makeNumbered("oculto", 6);
    // Delete 1, 2 and 6 (the table was created exclusive: no locks needed).
    for (long r : {1L, 2L, 6L}) {
        DBGOTO(r);
        DBDELETE();
    }
    tableSettings().hideDeleted = true;
    DBGOTOP();
    EXPECT_EQ(RECNO(), 3);
    DBSKIP(-1);  // back from the first visible record: stays, with BOF
    EXPECT_EQ(RECNO(), 3);
    EXPECT_TRUE(BOF());
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 5);
    DBSKIP(1);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 7);
    DBSETFILTER([] { return Value(long(FIELDGET(1).num()) % 2 == 0); }, "n % 2 = 0");
    EXPECT_EQ(DBFILTER(), "n % 2 = 0");
    DBGOTOP();
    EXPECT_EQ(RECNO(), 4);
    DBSKIP(1);
    EXPECT_TRUE(EOF_());
    DBCLEARFILTER();
    tableSettings().hideDeleted = false;
    DBGOTOP();
    EXPECT_EQ(RECNO(), 1);
}

TEST_F(ArrayRdd, LocksDeletesAndReadOnlyOpens) {
    ASSERT_TRUE(DBCREATE("lk", votosLike(), "ARRAYRDD", false));
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "lk", "A", true));
    ASSERT_TRUE(DBAPPEND());  // the new record is locked by its area
    ASSERT_TRUE(DBAPPEND());  // earlier locks stay held
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "lk", "B", true));
    DBGOTO(1);
    EXPECT_FALSE(RLOCK());
    EXPECT_FALSE(DBDELETE());
    EXPECT_EQ(errors.back().description, "Lock required");
    EXPECT_EQ(errors.back().genCode, 38);
    EXPECT_EQ(errors.back().subCode, 1022);
    EXPECT_FALSE(errors.back().canDefault);
    DBSELECTAREA("A");
    DBUNLOCK();
    DBSELECTAREA("B");
    EXPECT_TRUE(RLOCK());
    EXPECT_TRUE(DBDELETE());
    EXPECT_TRUE(DELETED());
    EXPECT_TRUE(DBRECALL());
    EXPECT_FALSE(DBZAP_());
    EXPECT_EQ(errors.back().description, "Exclusive required");
    EXPECT_EQ(errors.back().genCode, 37);
    EXPECT_EQ(errors.back().subCode, 1023);
    EXPECT_FALSE(DBPACK_());
    EXPECT_EQ(errors.back().description, "Lock required");
    EXPECT_TRUE(errors.back().fileName.empty());
    // Closing an area releases its locks.
    DBCLOSEAREA();
    DBSELECTAREA("A");
    DBGOTO(1);
    EXPECT_TRUE(RLOCK());

    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "lk", "RO", true, true));
    size_t before = errors.size();
    EXPECT_FALSE(DBAPPEND());
    ASSERT_EQ(errors.size(), before + 1);
    EXPECT_EQ(errors.back().description, "Write not allowed");
    EXPECT_EQ(errors.back().genCode, 39);
    EXPECT_EQ(errors.back().subCode, 1025);
    EXPECT_TRUE(errors.back().canDefault);
    EXPECT_TRUE(errors.back().canRetry);
    EXPECT_TRUE(NETERR());
    DBGOTO(2);
    EXPECT_FALSE(DBDELETE());
    EXPECT_FALSE(errors.back().canDefault);
    EXPECT_FALSE(errors.back().canRetry);
    EXPECT_FALSE(DBRECALL());
    EXPECT_EQ(errors.back().description, "Write not allowed");
    EXPECT_EQ(errors.back().subCode, 1025);
    EXPECT_FALSE(DBZAP_());
    EXPECT_EQ(errors.back().genCode, 39);
}

TEST_F(ArrayRdd, SharedRowsKeepTheirValuesUnpadded) {
    ASSERT_TRUE(DBCREATE("partidos", {{"siglas", 'C', 6, 0}, {"color", 'N', 3, 0}}, "ARRAYRDD", true));
    Value rows(Array{Value(Array{Value("PSOE"), Value(0)}), Value(Array{Value("IU"), Value(0)})});
    HB_SETARRAYRDD(rows);
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(FIELDGET(1).text(), "PSOE");
    rows.array()->push_back(Value(Array{Value("LV"), Value(0)}));  // shared by reference
    EXPECT_EQ(LASTREC(), 3);
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET(1).text(), "LV");
    DBAPPEND();
    EXPECT_EQ(rows.array()->size(), 4u);
}

TEST_F(ArrayRdd, SharedRowsThatAreShortOrNotRows) {
    ASSERT_TRUE(DBCREATE("cortas", {{"a", 'C', 2, 0}, {"b", 'N', 3, 0}}, "ARRAYRDD", true));
    Value rows(Array{Value(Array{Value("X")}), Value(5), Value(Array{Value("Z"), Value(1)})});
    HB_SETARRAYRDD(rows);
    EXPECT_EQ(FIELDGET(1).text(), "X");
    EXPECT_EQ(FIELDGET(2).num(), 0);  // missing cell: empty value
    DBSKIP();
    EXPECT_EQ(FIELDGET(1).text(), "  ");  // not a row at all
    FIELDPUT(2, Value(7));                // writing makes it a complete row
    EXPECT_EQ((*(*rows.array())[1].array())[1].num(), 7);
    EXPECT_EQ((*(*rows.array())[1].array())[0].text(), "  ");
    DBDELETE();
    ASSERT_TRUE(DBPACK_());
    EXPECT_EQ(rows.array()->size(), 2u);  // the caller's own array is packed
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET(1).text(), "Z");
}

TEST_F(ArrayRdd, PackAndZap) {
    makeNumbered("pk", 5);
    ORDCONDSET({.forText = "!deleted()"});
    ASSERT_TRUE(ORDCREATE("", "n", "n"));
    for (long r : {2L, 4L}) {
        DBGOTO(r);
        DBDELETE();
    }
    EXPECT_EQ(ORDKEYCOUNT(), 3);
    ASSERT_TRUE(DBPACK_());
    EXPECT_EQ(LASTREC(), 3);
    EXPECT_EQ(RECNO(), 1);
    std::vector<long> seen;
    for (DBGOTOP(); !EOF_(); DBSKIP()) seen.push_back(long(FIELDGET(1).num()) * 10 + RECNO());
    EXPECT_EQ(seen, (std::vector<long>{11, 32, 53}));
    ASSERT_TRUE(DBZAP_());
    EXPECT_EQ(LASTREC(), 0);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(ORDKEYCOUNT(), 0);
}

TEST_F(ArrayRdd, TableInformation) {
    ASSERT_TRUE(DBCREATE("inf", votosLike(), "ARRAYRDD", false));
    ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", "inf", "", true));
    EXPECT_EQ(ALIAS(), "INF");
    EXPECT_EQ(RDDNAME(), "ARRAYRDD");
    EXPECT_EQ(DBINFO(DBI_TABLEEXT).type(), 'C');
    EXPECT_EQ(DBINFO(DBI_TABLEEXT).text(), "");
    EXPECT_EQ(RDDINFO(RDDI_TABLEEXT, Value(), "ARRAYRDD").type(), 'C');
    EXPECT_EQ(INDEXEXT(), "");
    EXPECT_TRUE(DBINFO(DBI_FULLPATH).isNil());
    EXPECT_TRUE(DBINFO(DBI_SHARED).logical());
    EXPECT_TRUE(DBINFO(999).isNil());
    EXPECT_EQ(FCOUNT(), 9);
    EXPECT_EQ(FIELDNAME(2), "DISTRITO");
    EXPECT_EQ(FIELDPOS("tipo"), 4);
}

}  // namespace
