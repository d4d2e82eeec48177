// The tables the "datos" generator writes, read back through the disk driver: the index
// keys of the data folder give well-formed keys on them, every value comes back as it was
// made (accents included), the rows agree with each other, and deleted rows are there.
#include <regex>
#include <set>

#include "Text.h"
#include "datosRows.h"
#include "datosTestSupport.h"

namespace {

constexpr uint64_t kSeed = 11;
constexpr uint64_t kRows = 1500;

struct TagCase {
    const char* table;
    const char* tag;
    const char* key;
    const char* forText;
    const char* pattern;  // of the key text; empty for the logical key
    size_t length;        // of the key text in characters
};

// The tags that "Generar índices" builds on these tables.
const TagCase kTags[] = {
    {"casillas", "casilla", "strZero(casilla,4)+tipo", "!deleted()", R"(\d{4}(B1|C[1-9]|E1|S1))",
     6},
    {"casillas", "tipo", "left(tipo,1)+strZero(casilla,4)+right(tipo,1)", "!deleted()",
     R"([BCES]\d{4}[1-9])", 6},
    {"casillas", "del_cas", "strZero(municipio,3)+strZero(casilla,4)+tipo", "!deleted()",
     R"(0(0[2-9]|1[0-7])\d{4}(B1|C[1-9]|E1|S1))", 9},
    {"casillas", "del_tipo", "strZero(municipio,3)+left(tipo,1)+strZero(casilla,4)+right(tipo,1)",
     "!deleted()", R"(0(0[2-9]|1[0-7])[BCES]\d{4}[1-9])", 9},
    {"colonias", "mun_col", "strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)",
     "!deleted()", R"(090(0[2-9]|1[0-7])\d{3})", 8},
    {"colonias", "mun_nom", "strZero(estado,2)+strZero(municipio,3)+nombre", "!deleted()",
     R"(090(0[2-9]|1[0-7])\S.*)", 45},
    {"colonias", "d_l_col",
     "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)", "!deleted()",
     R"((0[1-9]|[12]\d|3[0-3])090(0[2-9]|1[0-7])\d{3})", 10},
    {"colonias", "d_l_nom", "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+nombre",
     "!deleted()", R"((0[1-9]|[12]\d|3[0-3])090(0[2-9]|1[0-7])\S.*)", 47},
    {"colonias", "d_f_col",
     "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)", "!deleted()",
     R"((0[1-9]|1\d|2[0-4])090(0[2-9]|1[0-7])\d{3})", 10},
    {"colonias", "d_f_nom", "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+nombre",
     "!deleted()", R"((0[1-9]|1\d|2[0-4])090(0[2-9]|1[0-7])\S.*)", 47},
    {"colonias", "nombre", "nombre", "!deleted()", R"(\S.*)", 40},
    {"padron", "paterno", R"(paterno-(" "+materno)-(" "+nombre))", "!deleted()",
     R"([^ ]+ [^ ]+ [^ ]+( [^ ]+)? *)", 72},
    {"padron", "nombre", R"(nombre-(" "+paterno)-(" "+materno))", "!deleted()",
     R"([^ ]+( [^ ]+)? [^ ]+ [^ ]+ *)", 72},
    {"padron", "clave", "clave", "!deleted()", R"([A-Z]{6}\d{8}[HM]\d{3})", 18},
    {"padron", "cumple", "subStr(clave,9,4)", "!deleted()",
     R"((0[1-9]|1[0-2])(0[1-9]|[12]\d|3[01]))", 4},
    {"padron", "deleted", "deleted()", "deleted()", "", 0},
};

class DatosTables : public DatosTest {
  protected:
    void SetUp() override {
        DatosTest::SetUp();
        tableSettings().defaultFolder = generate("datos", kRows, kSeed);
    }
    void open(const std::string& table) {
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", false, true)) << table;
    }
};

TEST_F(DatosTables, IndexKeysAreWellFormedOnEveryRow) {
    for (const TagCase& c : kTags) {
        SCOPED_TRACE(std::string(c.table) + " " + c.tag);
        open(c.table);
        Block key = compileBlock(c.key);
        Block condition = compileBlock(c.forText);
        ASSERT_TRUE(key && condition);
        std::regex pattern(c.pattern);
        long admitted = 0;
        for (DBGOTOP(); !EOF_(); DBSKIP(1)) {
            Value k = key();
            bool wantsDeleted = std::string_view(c.forText) == "deleted()";
            ASSERT_EQ(condition().logical(), wantsDeleted == DELETED()) << RECNO();
            admitted += condition().logical();
            if (!*c.pattern) {
                ASSERT_EQ(k.logical(), DELETED());
                continue;
            }
            ASSERT_TRUE(k.isText());
            ASSERT_EQ(text::length(k.text()), c.length) << k.text();
            ASSERT_TRUE(std::regex_match(k.text(), pattern))
                << "record " << RECNO() << ": '" << k.text() << "'";
        }
        // Both kinds of condition find work: live rows and deleted rows to purge.
        EXPECT_GT(admitted, 0);
        EXPECT_LT(admitted, LASTREC());
        DBCLOSEAREA();
    }
}

// Every table read back through the driver equals the rows the generator made: texts with
// their accents, numbers, dates and deletion marks.
TEST_F(DatosTables, ReadBackAsGenerated) {
    datos::Catalogo catalogo(kSeed);
    datos::Padron padron(catalogo, kSeed);
    std::vector<datos::Row> padronRows;
    for (uint64_t i = 0; i < kRows; ++i) padronRows.push_back(padron.next());
    const std::pair<const char*, const std::vector<datos::Row>*> tables[] = {
        {"casillas", &catalogo.casillas()},
        {"colonias", &catalogo.colonias()},
        {"padron", &padronRows}};
    for (const auto& [name, rows] : tables) {
        SCOPED_TRACE(name);
        open(name);
        ASSERT_EQ(size_t(LASTREC()), rows->size());
        long accented = 0, deleted = 0;
        for (size_t i = 0; i < rows->size(); ++i) {
            const datos::Row& row = (*rows)[i];
            ASSERT_TRUE(DBGOTO(long(i + 1)));
            ASSERT_EQ(DELETED(), row.deleted) << RECNO();
            deleted += row.deleted;
            for (size_t f = 0; f < row.values.size(); ++f) {
                const Value& made = row.values[f];
                Value read = FIELDGET(int(f + 1));
                if (made.isText()) {
                    ASSERT_EQ(text::rtrim(read.text()), made.text()) << FIELDNAME(int(f + 1));
                    accented += text::length(made.text()) != made.text().size();
                } else {
                    ASSERT_EQ(read.toText(), made.toText()) << FIELDNAME(int(f + 1));
                }
            }
        }
        EXPECT_GT(accented, 0);
        // About 1.5% deleted.
        EXPECT_GT(deleted * 1000, long(rows->size()) * 5);
        EXPECT_LT(deleted * 1000, long(rows->size()) * 30);
        DBCLOSEAREA();
    }
}

// A voter's key carries the birth date and sex of the row, lives in a colony of the
// delegation and in a section where a basic polling station sits; colonies and stations
// belong to the sections of their delegation.
TEST_F(DatosTables, RowsAgreeWithEachOther) {
    datos::Catalogo catalogo(kSeed);
    std::set<std::pair<int, int>> coloniaKeys;
    for (const datos::Row& r : catalogo.colonias())
        coloniaKeys.insert({int(r.values[1].num()), int(r.values[2].num())});
    std::set<std::pair<int, int>> basicStations;  // municipio, section
    for (const datos::Row& r : catalogo.casillas()) {
        ASSERT_EQ(r.values[0].num(), r.values[3].num());  // a station is named by its section
        if (r.values[1].text() == "B1")
            basicStations.insert({int(r.values[2].num()), int(r.values[3].num())});
    }
    EXPECT_EQ(basicStations.size(), size_t(datos::kSecciones));
    EXPECT_EQ(coloniaKeys.size(), size_t(datos::kColonias));

    open("padron");
    Date cut = datos::fechaDeCorte();
    for (DBGOTOP(); !EOF_(); DBSKIP(1)) {
        SCOPED_TRACE(RECNO());
        std::string clave = FIELDGET(FIELDPOS("CLAVE")).text();
        Date born = FIELDGET(FIELDPOS("FEC_NAC")).date();
        ASSERT_EQ(clave.substr(6, 6), born.dtos().substr(2, 6));
        ASSERT_EQ(clave.substr(14, 1), FIELDGET(FIELDPOS("SEXO")).text());
        ASSERT_GE(cut.julian() - born.julian(), 18 * 365 + 4);
        ASSERT_LE(cut.year() - born.year(), 92);
        int municipio = int(FIELDGET(FIELDPOS("MUNICIPIO")).num());
        ASSERT_TRUE(coloniaKeys.count({municipio, int(FIELDGET(FIELDPOS("COLONIA")).num())}));
        ASSERT_TRUE(basicStations.count({municipio, int(FIELDGET(FIELDPOS("SECCION")).num())}));
    }
}

}  // namespace
