// The record buffer over both drivers: loading, field access by name and position, saving
// under the record lock, direct mode, blanks, the OEM code page, relations and loops.
#include "uDbf.h"

#include <gtest/gtest.h>

#include "GuiHarness.h"
#include "TableLayer.h"
#include "Text.h"
#include "testSupport.h"
#include "uDbfOem.h"

namespace {

template <class Driver>
class RecordBuffer : public DiskTest {
  protected:
    void SetUp() override {
        DiskTest::SetUp();
        const std::string driver = Driver::name;
        ASSERT_TRUE(DBCREATE("casillas",
                             {{"clave", 'C', 4, 0},
                              {"votos", 'N', 6, 0},
                              {"fecha", 'D', 8, 0},
                              {"ok", 'L', 1, 0},
                              {"partido", 'C', 6, 0}},
                             driver));
        ASSERT_TRUE(DBUSEAREA(true, driver, "casillas", "OTRO", true));
        const char* partidos[] = {"PSOE", "PP", "PSOE"};
        for (int i = 1; i <= 3; ++i) {
            ASSERT_TRUE(DBAPPEND());
            FIELDPUT(1, Value("C00" + std::to_string(i)));
            FIELDPUT(2, Value(i * 10));
            FIELDPUT(5, Value(partidos[i - 1]));
        }
        DBCOMMIT();
        DBUNLOCK();
        ASSERT_TRUE(DBUSEAREA(true, driver, "casillas", "CASILLAS", true));
        DBGOTO(2);
    }
    void TearDown() override {
        EXPECT_TRUE(harness.unexpected().empty());
        DiskTest::TearDown();
    }

    Value otherField(long record, int field) {
        return evalInAlias("OTRO", [&] {
            DBGOTO(record);
            return FIELDGET(field);
        });
    }
    bool lockedHere(long record) {
        return !evalInAlias("OTRO", [&] {
                    DBGOTO(record);
                    bool got = RLOCK();
                    if (got) DBUNLOCK();
                    return Value(got);
                }).logical();
    }
    // A second table "partidos" (siglas, nombre, socio) indexed on siglas.
    void makePartidos() {
        const std::string driver = Driver::name;
        ASSERT_TRUE(DBCREATE("partidos",
                             {{"siglas", 'C', 6, 0}, {"nombre", 'C', 20, 0}, {"socio", 'C', 6, 0}},
                             driver, true));
        const char* rows[][3] = {{"PP", "Partido Popular", ""}, {"PSOE", "Socialista", "PP"}};
        for (auto& row : rows) {
            ASSERT_TRUE(DBAPPEND());
            for (int f = 0; f < 3; ++f) FIELDPUT(f + 1, Value(row[f]));
        }
        ASSERT_TRUE(ORDCREATE("", "siglas", "siglas"));
        DBSELECTAREA("CASILLAS");
    }

    GuiHarness harness;
};
TYPED_TEST_SUITE(RecordBuffer, BothDrivers);

TYPED_TEST(RecordBuffer, HoldsTheCurrentRecordByNameAndPosition) {
    uDBF buf;
    EXPECT_EQ(buf.cAlias(), "CASILLAS");
    EXPECT_EQ(buf.aCampos(),
              (std::vector<std::string>{"CLAVE", "VOTOS", "FECHA", "OK", "PARTIDO"}));
    EXPECT_EQ(buf.recNo(), 2);
    EXPECT_EQ(buf.field("clave").text(), "C002");
    EXPECT_EQ(buf.fieldGet(2).num(), 20);
    EXPECT_EQ(buf.fieldPos("votos"), 2);
    EXPECT_EQ(buf.fieldPos("nada"), 0);
    EXPECT_EQ(buf.fieldName(0), "");
    EXPECT_EQ(buf.fieldName(buf.fCount() + 1), "");
    EXPECT_EQ(buf.fieldName(5), "PARTIDO");

    buf.setField("VOTOS", Value(55));
    EXPECT_EQ(buf.aDatos()[1].num(), 55);
    EXPECT_EQ(FIELDGET(2).num(), 20);  // the table is untouched until save
}

TYPED_TEST(RecordBuffer, NamesThatAreNoFieldsRaiseVariableDoesNotExist) {
    uDBF buf;
    struct Case {
        bool assign;
        int subCode;
    };
    for (Case c : {Case{false, 1003}, Case{true, 1004}}) {
        this->errors.clear();
        if (c.assign)
            EXPECT_THROW(buf.setField("nada", Value(1)), ErrorException);
        else
            EXPECT_THROW(buf.field("nada"), ErrorException);
        ASSERT_EQ(this->errors.size(), 1u);
        EXPECT_EQ(this->errors[0].subsystem, "BASE");
        EXPECT_EQ(this->errors[0].subCode, c.subCode);
        EXPECT_EQ(this->errors[0].description, "Variable does not exist");
        EXPECT_EQ(this->errors[0].operation, "nada");
    }
    EXPECT_THROW(buf.fieldGet(0), ErrorException);
    EXPECT_THROW(buf.fieldPut(6, Value(1)), ErrorException);
    EXPECT_THROW(uDBF("NOABIERTO"), ErrorException);
}

TYPED_TEST(RecordBuffer, MovesReloadAndGiveTheCallerItsAreaBack) {
    uDBF buf;
    int changes = 0;
    buf.bChange = [&](uDBF&) { ++changes; };
    DBSELECTAREA("OTRO");
    const int otro = SELECT();
    buf.dbGoTop();
    EXPECT_EQ(buf.field("clave").text(), "C001");
    buf.dbSkip(2);
    EXPECT_EQ(buf.recNo(), 3);
    buf.dbGoTo(2);
    EXPECT_EQ(buf.field("clave").text(), "C002");
    buf.dbGoBottom();
    EXPECT_EQ(buf.field("votos").num(), 30);
    buf.dbSkip();
    EXPECT_TRUE(buf.eof());
    EXPECT_EQ(buf.field("clave").text(), "    ");
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(SELECT(), otro);

    DBSELECTAREA("CASILLAS");
    ASSERT_TRUE(ORDCREATE("", "clave", "clave"));
    DBSELECTAREA("OTRO");
    EXPECT_TRUE(buf.dbSeek(Value("C003")));
    EXPECT_TRUE(buf.found());
    EXPECT_EQ(buf.recNo(), 3);
    EXPECT_FALSE(buf.dbSeek(Value("C009")));
    EXPECT_EQ(buf.indexKey(), "clave");
    buf.setScope(Value("C002"));
    buf.dbGoTop();
    EXPECT_EQ(buf.ordKeyCount(), 1);
    EXPECT_EQ(buf.recNo(), 2);
    EXPECT_EQ(SELECT(), otro);
}

TYPED_TEST(RecordBuffer, SaveWritesItsOwnRecordAndHonoursKeepLockAndCommit) {
    uDBF buf;
    std::vector<std::string> calls;
    buf.bSave = [&](uDBF& b) {
        calls.push_back("save " + std::to_string(RECNO()) + " " + b.cAlias());
    };
    buf.bSaved = [&](uDBF&) { calls.push_back("saved"); };
    buf.setField("votos", Value(77));
    buf.setField("ok", Value(true));
    DBGOTO(3);  // the table moves elsewhere meanwhile
    buf.save();
    EXPECT_EQ(calls, (std::vector<std::string>{"save 2 CASILLAS", "saved"}));
    EXPECT_EQ(this->otherField(2, 2).num(), 77);
    EXPECT_TRUE(this->otherField(2, 4).logical());
    EXPECT_EQ(this->otherField(3, 2).num(), 30);
    EXPECT_FALSE(this->lockedHere(2));

    buf.setField("votos", Value(78));
    buf.save(Value(true), Value(false));
    EXPECT_TRUE(this->lockedHere(2));
    EXPECT_EQ(this->otherField(2, 2).num(), 78);
    buf.dbRUnlock();
    EXPECT_FALSE(this->lockedHere(2));
}

TYPED_TEST(RecordBuffer, AValueTheTableRefusesWritesNothing) {
    uDBF buf;
    bool saved = false;
    buf.bSaved = [&](uDBF&) { saved = true; };
    buf.setField("clave", Value("C0X2"));
    buf.setField("votos", Value("no es número"));
    buf.save();
    EXPECT_TRUE(saved);
    EXPECT_FALSE(this->errors.empty());
    EXPECT_EQ(this->otherField(2, 1).text(), "C002");
    EXPECT_FALSE(this->lockedHere(2));
}

TYPED_TEST(RecordBuffer, ARefusedLockWritesNothingButStillRunsBSaved) {
    uDBF buf;
    evalInAlias("OTRO", [] {
        DBGOTO(2);
        EXPECT_TRUE(RLOCK());
        return Value();
    });
    TestClock clock(1321615800.0, 0.25);
    this->harness.onNextModal([](WindowView&) {});  // the busy box
    this->harness.onNextModal([](WindowView& v) { v.press("Cancelar"); });
    bool saved = false;
    buf.bSaved = [&](uDBF&) { saved = true; };
    buf.setField("votos", Value(99));
    buf.save();
    EXPECT_TRUE(saved);
    EXPECT_EQ(this->otherField(2, 2).num(), 20);
}

TYPED_TEST(RecordBuffer, DirectModeGoesStraightToTheTable) {
    uDBF buf;
    buf.lDirecto = true;
    ASSERT_TRUE(buf.rLock());
    EXPECT_EQ(buf.fieldPut(2, Value(41)).num(), 41);
    EXPECT_EQ(FIELDGET(2).num(), 41);
    EXPECT_EQ(buf.aDatos()[1].num(), 41);
    EXPECT_TRUE(buf.fieldPut(2, Value("texto")).isNil());  // refused: buffer unchanged
    EXPECT_EQ(buf.aDatos()[1].num(), 41);

    buf.setField("votos", Value(5));  // by name: only the buffer
    EXPECT_EQ(FIELDGET(2).num(), 41);
    EXPECT_EQ(buf.fieldGet(2).num(), 41);  // read from the table
    buf.save();
    EXPECT_FALSE(this->lockedHere(2));
    EXPECT_EQ(this->otherField(2, 2).num(), 41);
}

TYPED_TEST(RecordBuffer, BlankAndAppendKeepTheirPositions) {
    uDBF buf;
    int changes = 0;
    buf.bChange = [&](uDBF&) { ++changes; };
    buf.blank();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(buf.field("clave").text(), "    ");
    EXPECT_EQ(buf.field("votos").num(), 0);
    EXPECT_TRUE(buf.field("fecha").date().empty());
    EXPECT_FALSE(buf.field("ok").logical());
    EXPECT_EQ(buf.recNo(), 2);
    EXPECT_EQ(RECNO(), 2);

    buf.setField("clave", Value("C004"));
    ASSERT_TRUE(buf.dbAppend());
    EXPECT_EQ(buf.recNo(), 4);
    EXPECT_EQ(buf.field("clave").text(), "C004");
    buf.save();
    EXPECT_EQ(this->otherField(4, 1).text(), "C004");

    DBGOTO(LASTREC() + 1);
    uDBF atEnd;
    EXPECT_EQ(atEnd.recNo(), 5);
    EXPECT_EQ(atEnd.field("partido").text(), "      ");
}

TYPED_TEST(RecordBuffer, OemTextIsReadAsAnsiAndStoredBackUnchanged) {
    DBGOTO(1);
    ASSERT_TRUE(RLOCK());
    FIELDPUT(5, Value("A\u00A5O"));  // the OEM byte of Ñ read as Windows-1252
    DBCOMMIT();
    DBUNLOCK();
    uDBF buf;
    buf.lOem = true;
    buf.load();
    EXPECT_EQ(buf.field("partido").text(), "AÑO   ");
    buf.save();
    EXPECT_EQ(this->otherField(1, 5).text(), "A\u00A5O   ");

    buf.setField("partido", Value("€"));  // no byte for it in code page 850
    buf.save();
    EXPECT_FALSE(this->errors.empty());
    EXPECT_EQ(this->otherField(1, 5).text(), "A\u00A5O   ");
}

TYPED_TEST(RecordBuffer, DeleteAndRecallUnderTheLock) {
    uDBF buf;
    EXPECT_TRUE(buf.dbDelete());
    EXPECT_TRUE(buf.deleted());
    EXPECT_TRUE(this->lockedHere(2));
    EXPECT_TRUE(buf.dbRecall());
    EXPECT_FALSE(buf.deleted());
}

TYPED_TEST(RecordBuffer, RelationsCascadeThroughChildren) {
    this->makePartidos();
    auto casilla = std::make_shared<uDBF>("CASILLAS");
    auto partido = std::make_shared<uDBF>("PARTIDOS");
    auto socio = std::make_shared<uDBF>("PARTIDOS");
    casilla->dbSetRelation(partido, "self:partido");
    partido->dbSetRelation(socio, [](uDBF& b) { return b.field("SOCIO"); });
    casilla->dbGoTop();
    EXPECT_EQ(partido->field("nombre").text(), text::fit("Socialista", 20));
    EXPECT_EQ(socio->field("siglas").text(), "PP    ");
    casilla->dbSkip();
    EXPECT_EQ(partido->field("siglas").text(), "PP    ");
    EXPECT_TRUE(socio->eof());

    // Additive with the same child replaces its key; a bad text changes nothing.
    casilla->dbSetRelation(partido, "'PSOE'", true);
    ASSERT_EQ(casilla->aRelacion().size(), 1u);
    casilla->dbSetRelation(partido, "self:(", true);
    EXPECT_FALSE(this->errors.empty());
    casilla->change();
    EXPECT_EQ(partido->field("siglas").text(), "PSOE  ");
    casilla->dbSetRelation(socio, "'PP'", true);
    EXPECT_EQ(casilla->aRelacion().size(), 2u);
    casilla->dbDelRelation(partido);
    ASSERT_EQ(casilla->aRelacion().size(), 1u);
    EXPECT_EQ(casilla->aRelacion()[0].child, socio);
    casilla->dbSetRelation(nullptr, "");
    EXPECT_TRUE(casilla->aRelacion().empty());
}

TYPED_TEST(RecordBuffer, EvalAndFilterWalkTheRecordsTheyAdmit) {
    uDBF buf;
    std::vector<std::string> seen;
    uDBF::EvalArgs loop;
    loop.each = [&](uDBF& b) { seen.push_back(b.field("clave").text()); };
    // The conditions read the record under test through the area, not the buffer.
    loop.forCond = [](uDBF&) { return FIELDGET(5).text() == "PSOE  "; };
    buf.dbEval(loop);
    EXPECT_EQ(seen, (std::vector<std::string>{"C001", "C003"}));

    seen.clear();
    loop.forCond = {};
    loop.whileCond = [](uDBF&) { return FIELDGET(2).num() < 25; };
    buf.dbGoTop().dbEval(loop);  // a WHILE starts at the current record
    EXPECT_EQ(seen, (std::vector<std::string>{"C001", "C002"}));

    buf.dbSetFilter("partido = 'PP'");
    buf.dbGoTop();
    EXPECT_EQ(buf.recNo(), 2);
    EXPECT_EQ(DBFILTER(), "partido = 'PP'");
    buf.dbSetFilter("partido = (");
    EXPECT_FALSE(this->errors.empty());
    EXPECT_EQ(DBFILTER(), "partido = 'PP'");
    buf.dbClearFilter();
    buf.dbGoTop();
    EXPECT_EQ(buf.recNo(), 1);
}

// The pair of code pages, character by character.
TEST(OemConversion, ReinterpretsBytesBetweenTheTwoCodePages) {
    struct Row {
        const char* stored;
        const char* handled;
    };
    const Row rows[] = {
        {"abc 123", "abc 123"}, {"\u00A5", "Ñ"},  // 0xA5
        {"\u00A4", "ñ"},                          // 0xA4
        {"\u201A", "é"},                          // 0x82
        {"\u00C9", "╔"},                          // 0xC9
        {"\u0081", "ü"},                          // 0x81, undefined in Windows-1252
    };
    for (const Row& r : rows) {
        EXPECT_EQ(oemToAnsi(r.stored), r.handled) << r.stored;
        std::string back, bad;
        ASSERT_TRUE(ansiToOem(r.handled, &back, &bad)) << r.handled;
        EXPECT_EQ(back, r.stored);
    }
    EXPECT_EQ(oemToAnsi("日本"), "日本");  // no Windows-1252 byte: kept as it is
    std::string out, bad;
    EXPECT_FALSE(ansiToOem("precio 5€", &out, &bad));
    EXPECT_EQ(bad, "€");
}

}  // namespace
