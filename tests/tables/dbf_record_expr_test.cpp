// Key and FOR expressions evaluated from raw DBF records give the same bytes as the
// general evaluation (values turned to UTF-8 and the result back to the code page), on
// random records with accents, blanks and deleted marks, in each code page.
#include <gtest/gtest.h>

#include <random>

#include "Expr.h"
#include "dbfRecordExpr.h"
#include "dbfTable.h"

using namespace dbf;

namespace {

// The general evaluation over one record of a table, as the layer's host does it.
class RawHost : public ExprHost {
  public:
    RawHost(DbfTable& t, uint32_t recno, std::string_view raw) : t_(t), recno_(recno), raw_(raw) {}
    Value field(const FieldRef& ref) override {
        const auto& fields = t_.layout().fields;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].name != ref.name) continue;
            Value v;
            EXPECT_TRUE(t_.decodeRaw(recno_, raw_, i, &v).ok());
            return v;
        }
        ADD_FAILURE() << "no field " << ref.name;
        return Value();
    }
    Value inAlias(const std::string&, const std::function<Value()>& fn) override { return fn(); }
    bool deleted() override { return raw_[0] == '*'; }
    double recNo() override { return recno_; }
    double lastRec() override { return t_.recordCount(); }
    bool eof() override { return false; }
    bool bof() override { return false; }
    bool found() override { return false; }
    std::string alias() override { return "T"; }
    bool exact() override { return false; }

  private:
    DbfTable& t_;
    uint32_t recno_;
    std::string_view raw_;
};

// Every field of the data folder's tables that their tags read, in one table.
const Structure kFields = {{"PATERNO", 'C', 20, 0}, {"MATERNO", 'C', 20, 0},  {"NOMBRE", 'C', 30, 0},
                           {"CLAVE", 'C', 18, 0},   {"TIPO", 'C', 2, 0},      {"CASILLA", 'N', 4, 0},
                           {"MUNICIPIO", 'N', 3, 0}, {"ESTADO", 'N', 2, 0},   {"COLONIA", 'N', 3, 0},
                           {"D_LOCAL", 'N', 2, 0},  {"D_FEDERAL", 'N', 2, 0}, {"SALDO", 'N', 8, 2},
                           {"FEC_NAC", 'D', 8, 0},  {"VIVO", 'L', 1, 0}};

// The keys and conditions of the 16 tags of the data folder, then other forms the
// compiler covers, at their edges.
const char* const kCovered[] = {
    "strZero(casilla,4)+tipo",
    "left(tipo,1)+strZero(casilla,4)+right(tipo,1)",
    "strZero(municipio,3)+strZero(casilla,4)+tipo",
    "strZero(municipio,3)+left(tipo,1)+strZero(casilla,4)+right(tipo,1)",
    "strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)",
    "strZero(estado,2)+strZero(municipio,3)+nombre",
    "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)",
    "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+nombre",
    "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)",
    "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+nombre",
    "nombre",
    "paterno-(\" \"+materno)-(\" \"+nombre)",
    "nombre-(\" \"+paterno)-(\" \"+materno)",
    "clave",
    "subStr(clave,9,4)",
    "deleted()",
    "!deleted()",
    "upper(paterno)+upper(\"ñú\")",
    "upper(left(nombre,3))-\"é \"+right(materno,0)",
    "left(nombre,-2)+left(nombre,99)+right(nombre,3)+right(nombre,99)",
    "subStr(nombre,-3)+subStr(nombre,0,2)+subStr(nombre,40,2)+subStr(nombre,2,-1)+subStr(nombre,5)",
    "paterno-materno-nombre",
    "\"  \"-paterno-\"x\"",
    "str(saldo)+str(saldo,12,3)+strZero(saldo,10,1)+str(casilla,2)",
    "dtos(fec_nac)+tipo",
    "vivo",
    "!vivo",
    "saldo",
    "fec_nac",
    "left(nombre,casilla)",
};

std::string randomText(std::mt19937& rng, size_t width) {
    static const std::vector<std::string> pieces = {"A", "b", "Ñ", "ñ", "é", "Ü", " ", "  ", "Z", "ß",
                                                   "ÿ", "€", "0", "-", "Ç", "á"};
    std::string s;
    size_t n = rng() % (width + 1);
    for (size_t i = 0; i < n; ++i) s += pieces[rng() % pieces.size()];
    return s;
}

std::vector<Value> randomRow(std::mt19937& rng) {
    // Whole numbers that fit `digits` characters, a sign included.
    auto num = [&](int digits) {
        int top = digits == 4 ? 9999 : digits == 3 ? 999 : 99;
        return double(int(rng() % unsigned(top + top / 10)) - top / 10);
    };
    return {randomText(rng, 20), randomText(rng, 20), randomText(rng, 30), randomText(rng, 18),
            randomText(rng, 2), num(4), num(3), num(2), num(3), num(2), num(2),
            Value::number(double(int(rng() % 200000) - 100000) / 100, 8, 2),
            rng() % 5 ? Value(Date::fromYmd(1950 + int(rng() % 60), 1 + int(rng() % 12), 1 + int(rng() % 28)))
                      : Value(Date()),
            Value(rng() % 2 == 0)};
}

// A text result as the tag stores it, in code-page bytes.
std::string generalBytes(const Value& v, const CodePage& cp) {
    EXPECT_TRUE(v.isText());
    std::string bytes;
    EXPECT_TRUE(cp.fromUtf8(v.text(), &bytes).ok());
    return bytes;
}

}  // namespace

TEST(DbfRecordExpr, SameBytesAsTheGeneralEvaluation) {
    for (int codePage : {1252, 850, 437}) {
        auto dbfData = std::make_shared<std::string>();
        std::unique_ptr<DbfTable> t;
        DbfTable::Options o;
        o.defaultCodePage = codePage;
        o.today = Date::fromYmd(2026, 3, 1);
        ASSERT_TRUE(DbfTable::create(std::make_unique<MemoryFile>("r.dbf", dbfData), nullptr, kFields, o, &t).ok());
        std::mt19937 rng{uint32_t(codePage)};
        int rows = 0;
        while (rows < 300) {
            std::vector<Value> row = randomRow(rng);
            std::string bytes;
            bool fits = true;  // texts the code page can hold
            for (size_t i = 0; i < 5; ++i) fits = fits && t->codePage().fromUtf8(row[i].text(), &bytes).ok();
            if (!fits) continue;
            uint32_t recno = 0;
            Status st = t->append(row, &recno);
            ASSERT_TRUE(st.ok()) << st.toString();
            if (rng() % 3 == 0) ASSERT_TRUE(t->setDeleted(recno, true).ok());
            ++rows;
        }
        for (const char* text : kCovered) {
            CompileResult c = compileExpr(text);
            ASSERT_TRUE(c.expr) << text;
            std::unique_ptr<RecordExpr> fast = RecordExpr::compile(*c.expr, *t);
            ASSERT_TRUE(fast) << text << " is not covered";
            int fallbacks = 0;
            for (uint32_t rec = 1; rec <= t->recordCount(); ++rec) {
                std::string raw;
                ASSERT_TRUE(t->readRaw(rec, &raw).ok());
                RawHost host(*t, rec, raw);
                Value expected = c.expr->eval(host);
                std::string got = "prefix";
                Value v;
                bool made = fast->isText() ? fast->text(rec, raw, &got) : fast->value(rec, raw, &v);
                if (!made) {
                    ++fallbacks;
                    EXPECT_EQ(got, "prefix") << text;
                    continue;
                }
                if (fast->isText())
                    ASSERT_EQ(got, "prefix" + generalBytes(expected, t->codePage()))
                        << text << " at record " << rec << " code page " << codePage;
                else
                    ASSERT_TRUE(v == expected && v.type() == expected.type()) << text << " at record " << rec;
            }
            // Only upper() of a letter whose capital the code page lacks needs the general way.
            if (std::string_view(text).find("upper") == std::string_view::npos) EXPECT_EQ(fallbacks, 0) << text;
        }
    }
}

TEST(DbfRecordExpr, LeavesWhatItDoesNotCoverToTheGeneralEvaluation) {
    auto dbfData = std::make_shared<std::string>();
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::create(std::make_unique<MemoryFile>("r.dbf", dbfData), nullptr, kFields, {}, &t).ok());
    for (const char* text : {"recno()", "otra->nombre", "nombre+str(recno())", "casilla+1",
                             "nombre=\"A\"", "desconocido", "iif(vivo,nombre,paterno)", "-casilla"}) {
        CompileResult c = compileExpr(text);
        ASSERT_TRUE(c.expr) << text;
        EXPECT_FALSE(RecordExpr::compile(*c.expr, *t)) << text;
    }
}
