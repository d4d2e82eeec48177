// Evaluation against an in-memory record: values of operators and functions, evaluation
// errors, and random texts that must never crash the compiler or the evaluator.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "Expr.h"

namespace {

Value num(double n, int width, int dec) {
    return Value::number(n, width, dec);
}
Date day(const char* dtos) {
    return Date::fromDtos(dtos);
}

// One current record plus a second work area, answered from maps.
class FakeHost : public ExprHost {
  public:
    using Record = std::map<std::string, Value>;
    std::map<std::string, Record> areas{
        {"ACTAS",
         {{"PUESTO", "P"},
          {"DISTRITO", num(0, 2, 0)},
          {"CASILLA", num(12, 4, 0)},
          {"TIPO", "B1"},
          {"PATERNO", "LOPEZ   "},
          {"MATERNO", "PEREZ  "},
          {"NOMBRE", "JUAN  "},
          {"CLAVE", "ABCDEFGH1234XYZ"},
          {"TOTAL", num(123.45, 10, 2)},
          {"FECHA", day("20240602")},
          {"VACIA", Date()},
          {"D_LOCAL", num(5, 2, 0)},
          {"ESTADO", num(9, 2, 0)},
          {"MUNICIPIO", num(42, 3, 0)},
          {"NOTA", Value::memo("memo")}}},
        {"VOTOS", {{"CASILLA", num(7, 4, 0)}, {"NOMBRE", "Otro"}}},
    };
    std::string current = "ACTAS";
    bool isDeleted = false;
    bool exactOn = false;
    int lookups = 0;

    Value field(const FieldRef& ref) override {
        auto area = areas.find(ref.alias.empty() ? current : ref.alias);
        if (area == areas.end()) fail(EG_NOALIAS, ref.alias);
        auto f = area->second.find(ref.name);
        if (f == area->second.end()) fail(EG_NOVAR, ref.name);
        // Stamp 1 + area index: a cached reference skips the name lookup.
        uint64_t stamp = uint64_t(std::distance(areas.begin(), area)) + 1;
        if (ref.cachedStamp != stamp) {
            ++lookups;
            ref.cachedStamp = stamp;
            ref.cachedPos = int(std::distance(area->second.begin(), f)) + 1;
        }
        return f->second;
    }
    Value inAlias(const std::string& alias, const std::function<Value()>& fn) override {
        if (!areas.count(alias)) fail(EG_NOALIAS, alias);
        struct Restore {
            std::string& cur;
            std::string saved;
            ~Restore() { cur = saved; }
        } restore{current, current};
        current = alias;
        return fn();
    }
    bool deleted() override { return isDeleted; }
    double recNo() override { return 7; }
    double lastRec() override { return 10; }
    bool eof() override { return false; }
    bool bof() override { return false; }
    bool found() override { return true; }
    std::string alias() override { return current; }
    bool exact() override { return exactOn; }

  private:
    [[noreturn]] static void fail(int gen, const std::string& what) {
        ErrorRecord r;
        r.genCode = gen;
        r.subsystem = "BASE";
        r.description = errorDescription(gen);
        r.operation = what;
        throwError(r);
    }
};

std::string show(const Value& v) {
    return std::string(1, v.type()) + ":" + v.toText();
}

Value evalText(const std::string& src, ExprHost& host) {
    CompileResult r = compileExpr(src);
    if (!r.expr) return Value("compile error: " + r.error->message);
    return r.expr->eval(host);
}

struct ValueRow {
    const char* src;
    Value expected;
};

void checkRows(const std::vector<ValueRow>& rows, FakeHost& host) {
    for (const ValueRow& r : rows) {
        try {
            Value got = evalText(r.src, host);
            EXPECT_TRUE(got == r.expected)
                << r.src << " gave " << show(got) << ", expected " << show(r.expected);
        } catch (const ErrorException& e) {
            ADD_FAILURE() << r.src << " raised " << e.what();
        }
    }
}

}  // namespace

TEST(ExprEval, ApplicationKeysAndFilters) {
    FakeHost host;
    checkRows(
        {
            {"puesto + strZero(distrito,2) + strZero(casilla,4) + tipo", "P000012B1"},
            {"paterno-(\" \"+materno)-(\" \"+nombre)", "LOPEZ PEREZ JUAN       "},
            {"subStr(clave,9,4)", "1234"},
            {"left(tipo,1)+strZero(casilla,4)+right(tipo,1)", "B00121"},
            {"!deleted()", true},
            {"deleted()", false},
            {"strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+nombre", "0509042JUAN  "},
            {"upper(trim(nombre)) = \"JUAN\" .and. total > 100 .or. \"X\" $ tipo", true},
            {"upper(trim(nombre)) = \"JUAN\" .and. total > 200 .or. \"X\" $ tipo", false},
            {"iif(empty(dtos(fecha)), \"sin\", \"con\")", "con"},
            {"iif(empty(dtos(vacia)), \"sin\", \"con\")", "sin"},
            {"val(str(total)) == total", true},
            {"recNo() % 2 = 0", false},
            {"recNo() % 2 = 1", true},
        },
        host);
}

TEST(ExprEval, OperatorsNumbersAndDates) {
    FakeHost host;
    checkRows(
        {
            {"1 + 2 * 3", Value(7)},
            {"(1 + 2) * 3", Value(9)},
            {"7 - 10", Value(-3)},
            {"7 / 2", Value(3.5)},
            {"7 % 3", Value(1)},
            {"-7 % 3", Value(-1)},
            {"2 ^ 10", Value(1024)},
            {"2 ** 3 ** 2", Value(512)},
            {"-2 ^ 2", Value(4)},
            {"- -3", Value(-3 * -1)},
            {"+4", Value(4)},
            // Decimals hints: + and - keep the larger, * adds, / has none.
            {"str(1.50)", "         1.50"},
            {"str(1.5 + 2.25)", "         3.75"},
            {"str(1.5 * 1.25)", "         1.875"},
            {"str(7 / 2)", "         3.50"},
            {"str(total - 0.5)", "       122.95"},
            {"fecha + 30", day("20240702")},
            {"30 + fecha", day("20240702")},
            {"fecha - 2", day("20240531")},
            {"fecha + 1.9", day("20240603")},
            {"fecha - stod(\"20240101\")", Value(153)},
            {"vacia + 1", Date()},
            {"fecha > vacia", true},
            {"stod(\"20240101\") <= fecha", true},
            {"1 < 2 .and. 2 >= 2 .and. 3 > 2 .and. 2 <= 2 .and. 1 != 2", true},
            {".F. < .T.", true},
            {".T. = .T. .and. .T. <> .F.", true},
            {"NIL == NIL", true},
            {"1 = NIL", false},
            {".F. .and. 1", false},
            {".T. .or. 1", true},
            {"votos->casilla + casilla", Value(19)},
            {"votos->(nombre + alias()) + alias()", "OtroVOTOSACTAS"},
            {"votos->(strZero(casilla, 3)) + tipo", "007B1"},
            {"field->nombre", "JUAN  "},
            {"nota + 'x'", Value::memo("memox")},
        },
        host);
}

TEST(ExprEval, TextComparisonFollowsExact) {
    struct Row {
        const char* src;
        bool exactOff, exactOn;
    } rows[] = {
        {"'abc' = 'ab'", true, false},   {"'ab' = 'abc'", false, false},
        {"'abc' = ''", true, false},     {"'ab  ' = 'ab'", true, true},
        {"'ab' = 'ab  '", false, true},  {"'abc' == 'ab'", false, false},
        {"'ab ' == 'ab'", false, false}, {"'ab' == 'ab'", true, true},
        {"'abc' != 'ab'", false, true},  {"'abc' <> 'abd'", true, true},
        {"'abc' # 'ab'", false, true},   {"'abc' < 'abd'", true, true},
        {"'abc' < 'ab'", false, false},  {"'abc' <= 'ab'", true, false},
        {"'abc' > 'ab'", false, true},   {"'abc' >= 'ab'", true, true},
        {"'ab' < 'abc'", true, true},    {"'b' > 'abc'", true, true},
        {"'ñ' > 'z'", true, true},       {"'señor' = 'señ'", true, false},
        {"'a' $ 'cab'", true, true},     {"'d' $ 'cab'", false, false},
        {"'' $ 'abc'", false, false},    {"'ab' $ 'b'", false, false},
        {"tipo = 'B'", true, false},     {"nota = 'me'", true, false},
    };
    FakeHost host;
    for (const Row& r : rows) {
        host.exactOn = false;
        EXPECT_TRUE(evalText(r.src, host) == Value(r.exactOff)) << r.src << " exact off";
        host.exactOn = true;
        EXPECT_TRUE(evalText(r.src, host) == Value(r.exactOn)) << r.src << " exact on";
    }
}

TEST(ExprEval, Functions) {
    FakeHost host;
    checkRows(
        {
            {"str(12)", "        12"},
            {"str(total)", "    123.45"},
            {"str(3.14159, 6, 2)", "  3.14"},
            {"str(2.5, 3)", "  3"},
            {"str(-2.5, 3)", " -3"},
            {"str(0.125, 5, 2)", " 0.13"},
            {"str(123456, 3)", "***"},
            {"str(-5, 4)", "  -5"},
            {"str(-0.001, 5, 2)", " 0.00"},
            {"strZero(-5, 4)", "-005"},
            {"strZero(3.5, 6, 2)", "003.50"},
            {"strZero(12345, 3)", "***"},
            {"left('abc', 2)", "ab"},
            {"left('abc', 0) + left('abc', -1)", ""},
            {"left('añb', 2)", "añ"},
            {"right('añb', 2)", "ñb"},
            {"right('abc', 5)", "abc"},
            {"right('abc', 0)", ""},
            {"subStr('hello', 2, 3)", "ell"},
            {"subStr('hello', 0, 2)", "he"},
            {"subStr('hello', 2)", "ello"},
            {"subStr('hello', -3)", "llo"},
            {"subStr('hello', -3, 2)", "ll"},
            {"subStr('hello', -9, 2)", "he"},
            {"subStr('hello', 9)", ""},
            {"subStr('hello', 2, -1)", ""},
            {"subStr('señor', 3, 2)", "ño"},
            {"upper('señor')", "SEÑOR"},
            {"lower('ÁBC')", "ábc"},
            {"trim('ab  ') + rTrim(' c ') + '|'", "ab c|"},
            {"lTrim('  ab ')", "ab "},
            {"allTrim('  a b  ')", "a b"},
            {"len('añb')", Value(3)},
            {"len('')", Value(0)},
            {"empty('  ') .and. empty(0) .and. empty(.F.) .and. empty(vacia) .and. empty(NIL)",
             true},
            {"empty('a') .or. empty(1) .or. empty(fecha)", false},
            {"val('  12.50abc')", Value(12.5)},
            {"str(val('12.50'))", "        12.50"},
            {"val('abc')", Value(0)},
            {"val('-3')", Value(-3)},
            {"val(' +4.')", Value(4)},
            {"dtos(fecha)", "20240602"},
            {"dtos(vacia)", "        "},
            {"dtos(stod('20240229'))", "20240229"},
            {"empty(stod('2024023x'))", true},
            {"iif(.T., 1, 2)", Value(1)},
            {"if(.F., 1, 2)", Value(2)},
            {"iif(.T., 'a', 1/0)", "a"},
            {"iif(.F., 1/0, 'b')", "b"},
            {"space(3)", "   "},
            {"space(-1)", ""},
            {"replicate('ab', 3)", "ababab"},
            {"replicate('x', 0)", ""},
            {"padR('ab', 4)", "ab  "},
            {"padR('abcdef', 3)", "abc"},
            {"padL('ab', 4, '*')", "**ab"},
            {"padL('abcdef', 3)", "abc"},
            {"padC('ab', 6, '-')", "--ab--"},
            {"padC('ab', 5)", " ab  "},
            {"padR('ñ', 3, 'ü')", "ñüü"},
            {"padR('a', 0)", ""},
            {"at('c', 'abcabc')", Value(3)},
            {"at('z', 'abc')", Value(0)},
            {"at('', 'abc')", Value(0)},
            {"at('b', 'ñb')", Value(2)},
            {"chr(65) + chr(241)", "Añ"},
            {"asc('A')", Value(65)},
            {"asc('ñ')", Value(241)},
            {"asc('')", Value(0)},
            {"int(3.7)", Value(3)},
            {"int(-3.7)", Value(-3)},
            {"round(2.5, 0)", Value(3)},
            {"round(-2.5, 0)", Value(-3)},
            {"round(3.14159, 2)", Value(3.14)},
            {"round(1234.5678, -2)", Value(1200)},
            {"str(round(3.14159, 2))", "         3.14"},
            {"abs(-4)", Value(4)},
            {"str(abs(total * -1))", "       123.45"},
            {"max(3, 7)", Value(7)},
            {"min(3, 7)", Value(3)},
            {"max(fecha, vacia)", day("20240602")},
            {"min(fecha, vacia)", Date()},
            {"year(fecha)", Value(2024)},
            {"month(fecha)", Value(6)},
            {"day(fecha)", Value(2)},
            {"year(vacia)", Value(0)},
            {"year(date()) > 2000", true},
            {"recNo()", Value(7)},
            {"lastRec()", Value(10)},
            {"eof() .or. bof()", false},
            {"found()", true},
            {"alias()", "ACTAS"},
        },
        host);
    host.isDeleted = true;
    checkRows({{"deleted()", true}, {"!deleted()", false}}, host);
}

TEST(ExprEval, FieldReferencesKeepTheirCache) {
    FakeHost host;
    CompileResult r = compileExpr("tipo + tipo + votos->nombre");
    ASSERT_TRUE(r.expr);
    EXPECT_TRUE(r.expr->eval(host) == Value("B1B1Otro"));
    EXPECT_TRUE(r.expr->eval(host) == Value("B1B1Otro"));
    EXPECT_EQ(host.lookups, 3);  // one per field node, none on the second evaluation
}

TEST(ExprEval, ErrorsGoThroughTheHandlerAndUnwind) {
    struct Row {
        const char* src;
        int genCode;
        int subCode;
        const char* operation;
    } rows[] = {
        {"'a' + 1", EG_ARG, 1081, "+"},
        {"1 - 'a'", EG_ARG, 1082, "-"},
        {"fecha + fecha", EG_ARG, 1081, "+"},
        {"1 - fecha", EG_ARG, 1082, "-"},
        {"'a' * 2", EG_ARG, 1083, "*"},
        {"1 / 'a'", EG_ARG, 1084, "/"},
        {"1 / 0", EG_ZERODIV, 1084, "/"},
        {"5 % (2 - 2)", EG_ZERODIV, 1085, "%"},
        {"1 = 'a'", EG_ARG, 1071, "="},
        {"1 == 'a'", EG_ARG, 1070, "=="},
        {"1 <> 'a'", EG_ARG, 1072, "<>"},
        {"1 < 'a'", EG_ARG, 1073, "<"},
        {"1 <= fecha", EG_ARG, 1074, "<="},
        {"NIL > 1", EG_ARG, 1075, ">"},
        {".T. >= 1", EG_ARG, 1076, ">="},
        {"1 $ 'a'", EG_ARG, 1109, "$"},
        {".not. 1", EG_ARG, 1077, ".NOT."},
        {"1 .and. .T.", EG_ARG, 1078, ".AND."},
        {".F. .or. 'x'", EG_ARG, 1079, ".OR."},
        {"-'a'", EG_ARG, 1080, "-"},
        {"upper(1)", EG_ARG, 1099, "UPPER"},
        {"strZero('a', 2)", EG_ARG, 1099, "STRZERO"},
        {"str(1, 0)", EG_ARG, 1099, "STR"},
        {"iif(1, 2, 3)", EG_ARG, 1099, "IIF"},
        {"max(1, fecha)", EG_ARG, 1099, "MAX"},
        {"dtos('x')", EG_ARG, 1099, "DTOS"},
        {"chr(-1)", EG_ARG, 1099, "CHR"},
        {"space(1000000000)", EG_STROVERFLOW, 1099, "SPACE"},
        {"replicate('ab', 3000000)", EG_STROVERFLOW, 1099, "REPLICATE"},
        {"nofield", EG_NOVAR, 0, "NOFIELD"},
        {"nada->x", EG_NOALIAS, 0, "NADA"},
        {"nada->(1)", EG_NOALIAS, 0, "NADA"},
    };
    FakeHost host;
    for (const Row& r : rows) {
        std::vector<ErrorRecord> seen;
        ScopedErrorHandler guard([&seen](const ErrorRecord& rec) {
            seen.push_back(rec);
            return ErrorAction::Default;
        });
        CompileResult c = compileExpr(r.src);
        ASSERT_TRUE(c.expr) << r.src;
        try {
            Value v = c.expr->eval(host);
            ADD_FAILURE() << r.src << " gave " << show(v);
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.record().genCode, r.genCode) << r.src;
            EXPECT_EQ(e.record().subCode, r.subCode) << r.src;
            EXPECT_EQ(e.record().operation, r.operation) << r.src;
            EXPECT_EQ(e.record().subsystem, "BASE") << r.src;
            EXPECT_EQ(e.record().description, errorDescription(r.genCode)) << r.src;
            ASSERT_EQ(seen.size(), 1u) << r.src;
            EXPECT_EQ(seen[0].operation, r.operation) << r.src;
        }
    }
    EXPECT_EQ(host.current, "ACTAS");  // inAlias restored the area on unwinding
}

namespace {

// Random expression built from the grammar's pieces.
std::string randomExpr(std::mt19937& rng, int depth) {
    static const char* const leaves[] = {"tipo",    "total", "fecha", "vacia", "nota",
                                         "casilla", "0",     "2.50",  "-1",    "'ab  '",
                                         "''",      ".T.",   "NIL",   "nada",  "votos->nombre"};
    static const char* const ops[] = {
        "+", "-", "*", "/", "%", "^", "=", "==", "!=", "<", ">=", "$", ".and.", ".or.", "<>"};
    static const char* const fns[] = {"strZero", "str",   "subStr", "left",  "right",   "padC",
                                      "padR",    "space", "iif",    "val",   "dtos",    "stod",
                                      "at",      "chr",   "asc",    "round", "max",     "len",
                                      "upper",   "trim",  "empty",  "int",   "year",    "replicate",
                                      "deleted", "recNo", "alias",  "date",  "allTrim", "abs"};
    if (depth <= 0) return leaves[rng() % std::size(leaves)];
    switch (rng() % 6) {
        case 0:
            return leaves[rng() % std::size(leaves)];
        case 1:
            return std::string(rng() % 2 ? "-" : "!") + randomExpr(rng, depth - 1);
        case 2:
            return randomExpr(rng, depth - 1) + " " + ops[rng() % std::size(ops)] + " " +
                   randomExpr(rng, depth - 1);
        case 3:
            return "(" + randomExpr(rng, depth - 1) + ")";
        case 4:
            return "votos->(" + randomExpr(rng, depth - 1) + ")";
        default: {
            std::string s = std::string(fns[rng() % std::size(fns)]) + "(";
            size_t args = rng() % 4;
            for (size_t k = 0; k < args; ++k) s += (k ? ", " : "") + randomExpr(rng, depth - 1);
            return s + ")";
        }
    }
}

}  // namespace

// Random bytes, random token soups and random expressions: compiling never crashes, and
// whatever compiles evaluates or unwinds with ErrorException.
TEST(ExprEval, RandomTextNeverCrashes) {
    static const char* const tokens[] = {
        "(",       ")",          ",",        "+",       "-",          "*",      "/",
        "%",       "^",          "**",       "=",       "==",         "!=",     "<>",
        "#",       "<",          "<=",       ">",       ">=",         "$",      "!",
        ".not.",   ".and.",      ".or.",     ".T.",     ".F.",        "NIL",    "->",
        "0",       "1",          "2.50",     "1e9",     "9999999999", "'ab  '", "\"\"",
        "'",       "tipo",       "total",    "fecha",   "vacia",      "nota",   "votos",
        "casilla", "nada",       "strZero(", "str(",    "subStr(",    "left(",  "right(",
        "padC(",   "replicate(", "space(",   "iif(",    "val(",       "dtos(",  "stod(",
        "at(",     "chr(",       "asc(",     "round(",  "max(",       "len(",   "deleted()",
        "recNo()", "alias()",    "date()",   "upper(",  "trim(",      "empty(", "int(",
        "year(",   " ",          "@",        "\xC3\xB1"};
    std::mt19937 rng(20240602);
    FakeHost host;
    ScopedErrorHandler silent([](const ErrorRecord&) { return ErrorAction::Default; });
    size_t compiled = 0;
    for (int i = 0; i < 6000; ++i) {
        std::string src;
        if (i % 3 == 0) {
            size_t len = rng() % 40;
            for (size_t k = 0; k < len; ++k) src += char(rng() % 256);
        } else if (i % 3 == 1) {
            src = randomExpr(rng, 5);
        } else {
            size_t len = 1 + rng() % 24;
            for (size_t k = 0; k < len; ++k) src += tokens[rng() % std::size(tokens)];
        }
        CompileResult r = compileExpr(src);
        ASSERT_TRUE(bool(r.expr) != bool(r.error)) << src;
        if (r.error) {
            EXPECT_LE(r.error->position, src.size()) << src;
            EXPECT_FALSE(r.error->message.empty()) << src;
            continue;
        }
        ++compiled;
        EXPECT_FALSE(r.expr->dump().empty());
        try {
            r.expr->eval(host);
        } catch (const ErrorException&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << src << " threw " << e.what();
        }
    }
    EXPECT_GT(compiled, 500u);  // the soups must reach the evaluator
    EXPECT_EQ(host.current, "ACTAS");
}
