// The configuration: the election tables of a fresh start with their keys, totals beyond
// 9,999 kept, the party list, the data-folder tags, and the catalogue of delegations.
#include <gtest/gtest.h>

#include "TableLayer.h"
#include "mainConfig.h"
#include "electionSetUp.h"
#include "memoryTables.h"

namespace {

class Configuracion : public ::testing::Test {
  protected:
    void SetUp() override {
        freshElection();
    }
    void TearDown() override {
        DBCLOSEALL();
        oConfig.reset();
    }
    static void use(const std::string& name) { ASSERT_TRUE(DBUSEAREA(true, "ARRAYRDD", name, "", true)); }
};

TEST_F(Configuracion, AFreshStartHasThePartiesAndEmptyCountTables) {
    EXPECT_EQ(oConfig->cPath.back(), '/');
    EXPECT_EQ(tableSettings().defaultFolder, oConfig->cPath + "datos");
    EXPECT_EQ(RDDSETDEFAULT(), "DBFCDX");
    EXPECT_FALSE(tableSettings().exclusive);
    EXPECT_EQ(oConfig->hPuestos.hashRef()->find(Value("P"))->text(), "Presidente de la nacion");
    use("partidos");
    EXPECT_EQ(LASTREC(), 35);
    DBGOTO(1);
    // The rows are handed to the engine as they are, unpadded.
    EXPECT_EQ(FIELDGET(1).text(), "PSOE");
    EXPECT_EQ(FIELDGET(2).text(), "Partido Socialista Obrero Español");
    DBGOTO(35);
    EXPECT_EQ(FIELDGET(1).text(), "UM");
    EXPECT_EQ(FIELDGET(4).num(), 0);
    EXPECT_TRUE(FIELDGET(3).isNumber());  // no window here: no logo handle
    DBCLOSEAREA();
    for (const char* t : {"votos", "conteos", "represen"}) {
        SCOPED_TRACE(t);
        use(t);
        EXPECT_EQ(LASTREC(), 0);
        EXPECT_EQ(DBORDERINFO(DBOI_ORDERCOUNT).num(), 2);
        DBCLOSEAREA();
    }
}

TEST_F(Configuracion, KeysOfStationsAndCounts) {
    use("votos");
    EXPECT_EQ(FCOUNT(), 40);
    DBAPPEND();
    DBPUTREC({Value(12), Value("B1")});
    FIELDPUT(FIELDPOS("PUESTO"), Value("P"));
    FIELDPUT(FIELDPOS("DISTRITO"), Value(0));
    ORDSETFOCUS(Value("casilla"));
    EXPECT_TRUE(DBSEEK(Value("P000012B1")));
    DBCLOSEAREA();

    use("conteos");
    EXPECT_EQ(FCOUNT(), 38);
    DBAPPEND();
    FIELDPUT(FIELDPOS("PUESTO"), Value("A"));
    FIELDPUT(FIELDPOS("DISTRITO"), Value(2));
    // A running total past 9,999 votes is kept, for a party and for the whole.
    EXPECT_EQ(FIELDPUT(FIELDPOS("PSOE"), Value(123456)).num(), 123456);
    EXPECT_EQ(FIELDGET(FIELDPOS("PSOE")).num(), 123456);
    EXPECT_EQ(FIELDPUT(FIELDPOS("TOTAL"), Value(987654)).num(), 987654);
    ORDSETFOCUS(Value("puesto"));
    EXPECT_TRUE(DBSEEK(Value("A02")));
    DBCLOSEAREA();
}

TEST_F(Configuracion, ExistingCountTablesStayAndPartiesAreRebuilt) {
    use("votos");
    DBAPPEND();
    DBCLOSEAREA();
    use("partidos");
    DBGOTO(1);
    FIELDPUT(1, Value("X"));
    DBCLOSEAREA();
    oConfig->New(nullptr);
    use("votos");
    EXPECT_EQ(LASTREC(), 1);
    DBCLOSEAREA();
    use("partidos");
    EXPECT_EQ(LASTREC(), 35);
    EXPECT_EQ(FIELDGET(1).text(), "PSOE");
}

TEST(DataFolderTags, SixteenInTableOrder) {
    const auto& tags = DBFTAGS();
    ASSERT_EQ(tags.size(), 16u);
    EXPECT_STREQ(tags[0].tag, "casilla");
    EXPECT_STREQ(tags[11].key, "paterno-(\" \"+materno)-(\" \"+nombre)");
    EXPECT_STREQ(tags[15].condition, "deleted()");
}

TEST(Municipios, CatalogueLookups) {
    municipios m;
    EXPECT_EQ(m.hMunicipios.size(), 17u);
    EXPECT_EQ(m.nombre(0, true), "");
    EXPECT_EQ(m.nombre(0), "Todas");
    EXPECT_EQ(m.nombre(1), "");  // there is no key 1
    EXPECT_EQ(m.posicion("Azcapotzalco"), 2);
    EXPECT_EQ(m.posicion("Nada"), 0);
    EXPECT_EQ(m.numero(Value(2)), 2);
    EXPECT_EQ(m.numero(Value("Venustiano Carranza")), 17);
    EXPECT_EQ(m.numero(Value(18)), -1);
    EXPECT_EQ(m.clave(Value("Coyoacán")), "003");
    EXPECT_EQ(m.claNombre(Value(3)), "Coyoacán (003)");
    auto all = m.nombres(true);
    ASSERT_EQ(all.size(), 16u);
    EXPECT_EQ(all.front(), "Alvaro Obregón");
    EXPECT_EQ(m.nombres().front(), "Todas");
}

}  // namespace
