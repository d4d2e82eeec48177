// The disk driver DBFCDX through the table layer: tables created, written and read back from
// disk, natural-order navigation, error records, pack and zap.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "TableLayer.h"
#include "dbfCdxDriver.h"
#include "testSupport.h"

namespace fs = std::filesystem;

namespace {

Structure votos() {
    return {{"clave", 'C', 3, 0}, {"votos", 'N', 7, 0},  {"pct", 'N', 6, 2},
            {"fecha", 'D', 8, 0}, {"activo", 'L', 1, 0}, {"notas", 'M', 10, 0}};
}

class DbfCdx : public DiskTest {
  protected:
    // Table "name" with numeric field N = 1..count, left open in a new area.
    void numbered(const std::string& name, int count, bool shared = false) {
        ASSERT_TRUE(DBCREATE(name, {{"n", 'N', 5, 0}}, "DBFCDX"));
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", name, "", shared));
        for (int i = 1; i <= count; ++i) {
            ASSERT_TRUE(DBAPPEND());
            ASSERT_EQ(FIELDPUT(1, Value(i)).num(), i);
        }
    }
};

TEST_F(DbfCdx, CreateWriteCloseReopenRead) {
    ASSERT_TRUE(DBCREATE("votos", votos(), "DBFCDX"));
    EXPECT_TRUE(fs::exists(folder + "/votos.dbf"));
    EXPECT_TRUE(fs::exists(folder + "/votos.fpt"));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "votos", "", false));
    EXPECT_EQ(ALIAS(), "VOTOS");
    EXPECT_EQ(FCOUNT(), 6);
    EXPECT_EQ(FIELDNAME(6), "NOTAS");
    ASSERT_TRUE(DBAPPEND());
    FIELDPUT(1, Value("PRI"));
    FIELDPUT(2, Value(1500));
    FIELDPUT(3, Value(12.5));
    FIELDPUT(4, Value(Date::fromYmd(2024, 7, 1)));
    FIELDPUT(5, Value(true));
    FIELDPUT(6, Value("primera nota"));
    ASSERT_TRUE(DBAPPEND());
    EXPECT_TRUE(DBPUTREC({Value("PAN"), Value(-20), Value(0.5), Value(), Value(false)}));
    DBCOMMIT();
    DBCLOSEAREA();

    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "votos.dbf", "V", true));
    EXPECT_EQ(LASTREC(), 2);
    EXPECT_EQ(FIELDGET(1).text(), "PRI");
    EXPECT_EQ(FIELDGET(2).num(), 1500);
    EXPECT_EQ(FIELDGET(3).num(), 12.5);
    EXPECT_EQ(FIELDGET(4).date().dtos(), "20240701");
    EXPECT_TRUE(FIELDGET(5).logical());
    EXPECT_EQ(FIELDGET(6).text(), "primera nota");
    ASSERT_TRUE(DBSKIP());
    EXPECT_EQ(FIELDGET(1).text(), "PAN");
    EXPECT_EQ(FIELDGET(2).num(), -20);
    EXPECT_TRUE(FIELDGET(4).date().empty());
    EXPECT_FALSE(FIELDGET(5).logical());
    EXPECT_EQ(errors.size(), 0u);
}

TEST_F(DbfCdx, MemosAndTextsAreRewrittenInPlace) {
    ASSERT_TRUE(DBCREATE("m", votos(), "DBFCDX", true));
    ASSERT_TRUE(DBAPPEND());
    FIELDPUT(6, Value("corta"));
    FIELDPUT(6, Value(std::string(300, 'x')));
    FIELDPUT(1, Value("ABCDEF"));
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "m"));
    EXPECT_EQ(FIELDGET(6).text(), std::string(300, 'x'));
    EXPECT_EQ(FIELDGET(1).text(), "ABC");
}

TEST_F(DbfCdx, InformationAboutTableAndDriver) {
    numbered("info", 1);
    EXPECT_EQ(DBINFO(DBI_FULLPATH).text(),
              fs::path(folder + "/info.dbf").lexically_normal().string());
    EXPECT_EQ(DBINFO(DBI_TABLEEXT).text(), ".dbf");
    EXPECT_FALSE(DBINFO(DBI_SHARED).logical());
    EXPECT_EQ(RDDNAME(), "DBFCDX");
    EXPECT_EQ(RDDINFO(RDDI_TABLEEXT, Value(), "DBFCDX").text(), ".dbf");
    EXPECT_EQ(RDDINFO(RDDI_ORDBAGEXT, Value(), "DBFCDX").text(), ".cdx");
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "info", "", true));
    EXPECT_TRUE(DBINFO(DBI_SHARED).logical());
}

TEST_F(DbfCdx, TablesAreFoundOnTheSearchPathAndKeepTheirExtension) {
    ASSERT_TRUE(DBCREATE("otra.dat", {{"n", 'N', 3, 0}}, "DBFCDX"));
    EXPECT_TRUE(fs::exists(folder + "/otra.dat"));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "otra.dat"));
    EXPECT_EQ(ALIAS(), "OTRA");
    DBCLOSEAREA();
    tableSettings().defaultFolder = folder + "/vacio";
    tableSettings().path = "/nonexistent;" + folder;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "otra.dat"));
    EXPECT_EQ(errors.size(), 0u);
}

TEST_F(DbfCdx, EmptyTableBeginsAndEndsAtOnce) {
    numbered("vacia", 0);
    DBGOTOP();
    EXPECT_TRUE(BOF());
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(LASTREC(), 0);
    EXPECT_EQ(FIELDGET(1).num(), 0);
    EXPECT_FALSE(DELETED());
    EXPECT_EQ(FIELDPUT(1, Value(5)).num(), 5);  // accepted at end of file, not stored
    DBGOBOTTOM();
    EXPECT_TRUE(BOF() && EOF_());
    EXPECT_EQ(LASTREC(), 0);
}

TEST_F(DbfCdx, NaturalOrderBeginningAndEnd) {
    numbered("nav", 3);
    DBGOTOP();
    EXPECT_EQ(RECNO(), 1);
    EXPECT_FALSE(BOF());
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(FIELDGET(1).num(), 1);
    DBSKIP(1);
    EXPECT_FALSE(BOF());
    EXPECT_EQ(RECNO(), 2);
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET(1).num(), 3);
    DBSKIP(1);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 4);
    EXPECT_EQ(FIELDGET(1).num(), 0);
    DBSKIP(-1);
    EXPECT_FALSE(EOF_());
    EXPECT_EQ(RECNO(), 3);
    DBGOTO(2);
    EXPECT_EQ(FIELDGET(1).num(), 2);
    DBGOTO(0);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 4);
    DBGOTO(99);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 4);
    DBGOTOP();
    DBSKIP(10);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 4);
    DBSKIP(-10);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 1);
}

TEST_F(DbfCdx, DeletedRecordsAndFiltersAreSkipped) {
    numbered("del", 4);
    DBGOTO(2);
    ASSERT_TRUE(DBDELETE());
    EXPECT_TRUE(DELETED());
    DBGOTO(1);
    ASSERT_TRUE(DBDELETE());
    tableSettings().hideDeleted = true;
    DBGOTOP();
    EXPECT_EQ(RECNO(), 3);
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 3);
    DBSETFILTER([] { return Value(FIELDGET(1).num() != 4); });
    DBGOTOP();
    DBSKIP();
    EXPECT_TRUE(EOF_());
    DBCLEARFILTER();
    tableSettings().hideDeleted = false;
    DBGOTO(1);
    ASSERT_TRUE(DBRECALL());
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "del"));
    EXPECT_FALSE(DELETED());
    DBGOTO(2);
    EXPECT_TRUE(DELETED());
}

TEST_F(DbfCdx, MissingTableGivesAnOpenErrorAndNoArea) {
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", "nada", "", true));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].genCode, EG_OPEN);
    EXPECT_EQ(errors[0].subCode, 1001);
    EXPECT_EQ(errors[0].subsystem, "DBFCDX");
    EXPECT_EQ(errors[0].fileName, "nada");
    EXPECT_NE(errors[0].description.find("No such file"), std::string::npos);
    EXPECT_TRUE(errors[0].canDefault);
    EXPECT_FALSE(NETERR());  // nobody holds it: not a network error
    EXPECT_EQ(SELECT("NADA"), 0);
    EXPECT_FALSE(USED());
    EXPECT_FALSE(fs::exists(folder + "/nada.dbf"));
}

TEST_F(DbfCdx, DamagedTableGivesAnOpenError) {
    {
        FILE* f = fopen((folder + "/roto.dbf").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fputs("not a table at all", f);
        fclose(f);
    }
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", "roto"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].genCode, EG_OPEN);
    EXPECT_FALSE(NETERR());
    EXPECT_EQ(fs::file_size(folder + "/roto.dbf"), 18u);
}

TEST_F(DbfCdx, TableCutShortUnderAnOpenAreaGivesErrorRecords) {
    numbered("corto", 3, true);
    DBCOMMIT();
    fs::resize_file(folder + "/corto.dbf",
                    fs::file_size(folder + "/corto.dbf") - 4);  // records are 6 bytes
    errors.clear();
    DBGOTO(3);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].genCode, EG_CORRUPTION);
    EXPECT_EQ(errors[0].subCode, 1012);
    EXPECT_EQ(errors[0].fileName, "corto");
    EXPECT_EQ(FIELDGET(1).num(), 0);
    DBGOTO(2);
    EXPECT_EQ(FIELDGET(1).num(), 2);
    DBCLOSEAREA();
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", "corto"));
    EXPECT_EQ(errors.back().genCode, EG_OPEN);
    EXPECT_FALSE(NETERR());
}

TEST_F(DbfCdx, RefusedValuesLeaveTheRecordOnDisk) {
    ASSERT_TRUE(DBCREATE("f", votos(), "DBFCDX", true));
    ASSERT_TRUE(DBAPPEND());
    FIELDPUT(2, Value(42));
    FIELDPUT(1, Value("PT"));
    EXPECT_TRUE(FIELDPUT(2, Value(12345678)).isNil());
    EXPECT_EQ(errors.back().genCode, EG_DATAWIDTH);
    EXPECT_EQ(errors.back().subCode, 1021);
    EXPECT_TRUE(FIELDPUT(1, Value(7)).isNil());
    EXPECT_EQ(errors.back().genCode, EG_DATATYPE);
    EXPECT_EQ(errors.back().subCode, 1020);
    EXPECT_TRUE(FIELDPUT(5, Value("T")).isNil());
    EXPECT_TRUE(FIELDPUT(3, Value(1000.0)).isNil());  // "1000.00" does not fit N(6,2)
    EXPECT_EQ(FIELDPUT(3, Value(999.99)).num(), 999.99);
    // A whole record with one bad value writes nothing, not even its memo.
    size_t errorsBefore = errors.size();
    EXPECT_FALSE(DBPUTREC({Value("XX"), Value(1), Value(), Value(), Value(1), Value("nota")}));
    EXPECT_EQ(errors.size(), errorsBefore + 1);
    EXPECT_EQ(errors.back().genCode, EG_DATATYPE);
    auto memoSize = fs::file_size(folder + "/f.fpt");
    DBCLOSEAREA();
    EXPECT_EQ(fs::file_size(folder + "/f.fpt"), memoSize);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "f"));
    EXPECT_EQ(FIELDGET(1).text(), "PT ");
    EXPECT_EQ(FIELDGET(2).num(), 42);
    EXPECT_EQ(FIELDGET(3).num(), 999.99);
    EXPECT_TRUE(FIELDGET(0).isNil());
    EXPECT_TRUE(FIELDGET(99).isNil());
}

TEST_F(DbfCdx, ReadOnlyTablesRefuseChanges) {
    numbered("ro", 1);
    DBCLOSEAREA();
    auto size = fs::file_size(folder + "/ro.dbf");
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "ro", "", true, true));
    EXPECT_FALSE(DBAPPEND());
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(errors.back().genCode, EG_READONLY);
    EXPECT_EQ(errors.back().subCode, 1025);
    ASSERT_TRUE(RLOCK());
    EXPECT_TRUE(FIELDPUT(1, Value(9)).isNil());
    EXPECT_FALSE(DBDELETE());
    EXPECT_FALSE(DBZAP_());
    DBCOMMIT();
    DBCLOSEAREA();
    EXPECT_EQ(fs::file_size(folder + "/ro.dbf"), size);
}

TEST_F(DbfCdx, SharedChangesNeedTheRecordLock) {
    numbered("lk", 2, true);
    DBUNLOCK();
    DBGOTO(1);
    EXPECT_FALSE(DBDELETE());
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back().genCode, EG_UNLOCKED);
    EXPECT_EQ(errors.back().subCode, 1022);
    EXPECT_EQ(errors.back().description, "Lock required");
    EXPECT_TRUE(FIELDPUT(1, Value(7)).isNil());
    EXPECT_EQ(FIELDGET(1).num(), 1);
    ASSERT_TRUE(RLOCK());
    EXPECT_TRUE(DBDELETE());
    EXPECT_EQ(FIELDPUT(1, Value(7)).num(), 7);
    EXPECT_FALSE(DBPACK_());
    EXPECT_EQ(errors.back().genCode, EG_UNLOCKED);
    EXPECT_FALSE(DBZAP_());
    EXPECT_EQ(errors.back().genCode, EG_SHARED);
    EXPECT_EQ(errors.back().subCode, 1023);
    EXPECT_EQ(LASTREC(), 2);
}

TEST_F(DbfCdx, PackKeepsLiveRecordsAndZapEmpties) {
    ASSERT_TRUE(DBCREATE("p", votos(), "DBFCDX", true));
    for (int i = 1; i <= 4; ++i) {
        ASSERT_TRUE(DBAPPEND());
        FIELDPUT(2, Value(i));
        FIELDPUT(6, Value("nota " + std::to_string(i)));
        if (i % 2 == 1) DBDELETE();
    }
    ASSERT_TRUE(DBPACK_());
    EXPECT_EQ(LASTREC(), 2);
    EXPECT_EQ(RECNO(), 1);
    EXPECT_EQ(FIELDGET(2).num(), 2);
    EXPECT_EQ(FIELDGET(6).text(), "nota 2");
    DBSKIP();
    EXPECT_EQ(FIELDGET(2).num(), 4);
    EXPECT_FALSE(DELETED());
    DBCLOSEAREA();
    // 6 fields: header 32 + 6*32 + 1, record 1 + 3+7+6+8+1+10, two records and the end mark.
    EXPECT_EQ(fs::file_size(folder + "/p.dbf"), 225u + 2 * 36 + 1);
    EXPECT_FALSE(fs::exists(folder + "/p.dbf.pack~"));
    EXPECT_FALSE(fs::exists(folder + "/p.fpt.pack~"));
    // The memo file keeps the two live memos only: header, then one 64-byte block each.
    EXPECT_EQ(fs::file_size(folder + "/p.fpt"), 512u + 2 * 64);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "p", "", false));
    EXPECT_EQ(LASTREC(), 2);
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET(6).text(), "nota 4");
    ASSERT_TRUE(DBZAP_());
    EXPECT_EQ(LASTREC(), 0);
    EXPECT_TRUE(EOF_());
    DBGOTOP();
    EXPECT_TRUE(BOF() && EOF_());
    ASSERT_TRUE(DBAPPEND());
    EXPECT_EQ(RECNO(), 1);
    FIELDPUT(6, Value("otra"));
    EXPECT_EQ(FIELDGET(6).text(), "otra");
    DBCLOSEAREA();
    EXPECT_EQ(fs::file_size(folder + "/p.dbf"), 225u + 36 + 1);
    EXPECT_EQ(fs::file_size(folder + "/p.fpt"), 512u + 64);
    EXPECT_EQ(errors.size(), 0u);
}

TEST_F(DbfCdx, BadStructureCreatesNothing) {
    EXPECT_FALSE(DBCREATE("malo", {{"x", 'Q', 3, 0}}, "DBFCDX"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].genCode, EG_CREATE);
    EXPECT_FALSE(fs::exists(folder + "/malo.dbf"));
    EXPECT_FALSE(DBCREATE("/nonexistent/dir/t", {{"x", 'C', 3, 0}}, "DBFCDX"));
    EXPECT_EQ(errors.back().genCode, EG_CREATE);
    EXPECT_FALSE(USED());
}

}  // namespace
