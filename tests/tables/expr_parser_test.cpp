// Parsing: the canonical dump of well-formed texts, the code and position of malformed
// ones, and the dependencies reported for each.
#include <gtest/gtest.h>

#include <string>

#include "Expr.h"

namespace {

std::string dumpOf(const std::string& src) {
    CompileResult r = compileExpr(src);
    if (!r.expr) return "error: " + r.error->message;
    return r.expr->dump();
}

std::string nested(const std::string& open, const std::string& inner, const std::string& close,
                   int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += open;
    s += inner;
    for (int i = 0; i < times; ++i) s += close;
    return s;
}

}  // namespace

TEST(ExprParser, DumpsPrecedenceAssociativityAndForms) {
    struct Row {
        const char* src;
        const char* dump;
    } rows[] = {
        {"a + b * c", "(+ (field A) (* (field B) (field C)))"},
        {"a * b + c", "(+ (* (field A) (field B)) (field C))"},
        {"a - b - c", "(- (- (field A) (field B)) (field C))"},
        {"a / b % c * d", "(* (% (/ (field A) (field B)) (field C)) (field D))"},
        {"(a + b) * c", "(* (+ (field A) (field B)) (field C))"},
        {"((a))", "(field A)"},
        {"2 ^ 3 ^ 2", "(^ 2 (^ 3 2))"},
        {"2 ** 3 * 4", "(* (^ 2 3) 4)"},
        {"-a ^ 2", "(^ (- (field A)) 2)"},
        {"- -a", "(- (- (field A)))"},
        {"+a - -1", "(- (+ (field A)) (- 1))"},
        {"a .or. b .and. c", "(.OR. (field A) (.AND. (field B) (field C)))"},
        {"a .AND. b .Or. c", "(.OR. (.AND. (field A) (field B)) (field C))"},
        {".not. a = b", "(.NOT. (= (field A) (field B)))"},
        {"!a .and. !!b", "(.AND. (.NOT. (field A)) (.NOT. (.NOT. (field B))))"},
        {"x.and.y", "(.AND. (field X) (field Y))"},
        {"1.and.2", "(.AND. 1 2)"},
        {"a = b .or. c <> d", "(.OR. (= (field A) (field B)) (<> (field C) (field D)))"},
        {"a # b", "(<> (field A) (field B))"},
        {"a != b", "(<> (field A) (field B))"},
        {"a == b", "(== (field A) (field B))"},
        {"a = b = c", "(= (= (field A) (field B)) (field C))"},
        {"a $ b + c", "($ (field A) (+ (field B) (field C)))"},
        {"a < b .and. c >= 1.50", "(.AND. (< (field A) (field B)) (>= (field C) 1.50))"},
        {"a <= b .or. a > b", "(.OR. (<= (field A) (field B)) (> (field A) (field B)))"},
        {"strzero(distrito, 2)", "(call STRZERO (field DISTRITO) 2)"},
        {"SubStr( clave , 9, 4 )", "(call SUBSTR (field CLAVE) 9 4)"},
        {"!deleted()", "(.NOT. (call DELETED))"},
        {"iif(a, 1, 2)", "(call IIF (field A) 1 2)"},
        {"upper(trim(nombre)) = 'JUAN'", "(= (call UPPER (call TRIM (field NOMBRE))) \"JUAN\")"},
        {"votos->casilla", "(field VOTOS->CASILLA)"},
        {"Votos->(casilla + 1)", "(alias VOTOS (+ (field CASILLA) 1))"},
        {"field->nombre", "(field NOMBRE)"},
        {"'say \"hi\"'", "'say \"hi\"'"},
        {"\"it's\"", "\"it's\""},
        {".t. .and. .N. .or. .y. .or. .f.", "(.OR. (.OR. (.AND. .T. .F.) .T.) .F.)"},
        {"nil", "NIL"},
        {".5 + 007", "(+ 0.5 7)"},
        {"_x1 + a2", "(+ (field _X1) (field A2))"},
        {"\ta\r\n+\nb ", "(+ (field A) (field B))"},
    };
    for (const Row& r : rows) EXPECT_EQ(dumpOf(r.src), r.dump) << r.src;
}

TEST(ExprParser, ReportsCodeAndPositionOfMalformedText) {
    struct Row {
        std::string src;
        ExprErrorCode code;
        size_t pos;
    } rows[] = {
        {"", ExprErrorCode::Empty, 0},
        {" \t ", ExprErrorCode::Empty, 0},
        {"(a + b", ExprErrorCode::MissingParen, 6},
        {"left(a, 1", ExprErrorCode::MissingParen, 9},
        {"a + b)", ExprErrorCode::UnexpectedToken, 5},
        {"(a b)", ExprErrorCode::UnexpectedToken, 3},
        {"()", ExprErrorCode::UnexpectedToken, 1},
        {"\"abc", ExprErrorCode::UnterminatedString, 0},
        {"a + 'x\"", ExprErrorCode::UnterminatedString, 4},
        {"foo(1)", ExprErrorCode::UnknownFunction, 0},
        {"a + bar()", ExprErrorCode::UnknownFunction, 4},
        {"strZero(1)", ExprErrorCode::WrongArgCount, 0},
        {"x + deleted(1)", ExprErrorCode::WrongArgCount, 4},
        {"iif(.t., 1)", ExprErrorCode::WrongArgCount, 0},
        {"left(,1)", ExprErrorCode::UnexpectedToken, 5},
        {"a + * b", ExprErrorCode::UnexpectedToken, 4},
        {"* a", ExprErrorCode::UnexpectedToken, 0},
        {"a +", ExprErrorCode::UnexpectedToken, 3},
        {"a b", ExprErrorCode::UnexpectedToken, 2},
        {"a = !b", ExprErrorCode::UnexpectedToken, 4},
        {"a->", ExprErrorCode::UnexpectedToken, 3},
        {"a->1", ExprErrorCode::UnexpectedToken, 3},
        {"a->b(1)", ExprErrorCode::UnexpectedToken, 4},
        {"a @ b", ExprErrorCode::UnexpectedChar, 2},
        {"a . b", ExprErrorCode::UnexpectedChar, 2},
        {".x. + 1", ExprErrorCode::UnexpectedChar, 0},
        {"a + \xC3\xB1", ExprErrorCode::UnexpectedChar, 4},
        {std::string("1 + \0 2", 7), ExprErrorCode::UnexpectedChar, 4},
        {nested("(", "1", ")", 65), ExprErrorCode::TooDeep, 64},
        {nested("-", "1", "", 65), ExprErrorCode::TooDeep, 64},
        {nested("!", "a", "", 65), ExprErrorCode::TooDeep, 64},
        {nested("len(", "a", ")", 65), ExprErrorCode::TooDeep, 64 * 4 + 3},
        {nested("2^", "2", "", 65), ExprErrorCode::TooDeep, 64 * 2 + 1},
        {nested("a->(", "1", ")", 65), ExprErrorCode::TooDeep, 64 * 4 + 3},
        {std::string(kMaxExprLength + 1, ' '), ExprErrorCode::TooLong, kMaxExprLength},
    };
    for (const Row& r : rows) {
        CompileResult res = compileExpr(r.src);
        ASSERT_FALSE(res.expr) << r.src;
        ASSERT_TRUE(res.error) << r.src;
        EXPECT_EQ(res.error->code, r.code) << r.src;
        EXPECT_EQ(res.error->position, r.pos) << r.src;
        EXPECT_EQ(res.error->fragment, r.src.substr(std::min(r.pos, r.src.size()), 20)) << r.src;
        EXPECT_NE(res.error->message.find(" at " + std::to_string(r.pos)), std::string::npos)
            << res.error->message;
    }
}

TEST(ExprParser, LimitsAreInclusive) {
    EXPECT_TRUE(compileExpr(nested("(", "1", ")", kMaxExprDepth)).expr);
    EXPECT_TRUE(compileExpr(nested("-", "1", "", kMaxExprDepth)).expr);
    // A long flat chain is not nesting: it may fill the whole length.
    std::string sum = "1";
    while (sum.size() + 2 <= kMaxExprLength) sum += "+1";
    CompileResult r = compileExpr(sum);
    ASSERT_TRUE(r.expr);
    EXPECT_EQ(r.expr->text(), sum);
}

TEST(ExprParser, MessagesAndErrorRecord) {
    CompileResult r = compileExpr("a + b)");
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->message, "unexpected ')' at 5");
    EXPECT_EQ(compileExpr("(a").error->message, "missing ')' at 2");
    EXPECT_EQ(compileExpr("a +").error->message, "unexpected end of expression at 3");
    EXPECT_EQ(compileExpr("zz(1)").error->message, "unknown function 'ZZ' at 0");
    EXPECT_EQ(compileExpr("left(1)").error->message, "LEFT takes 2 argument(s), not 1 at 0");

    ErrorRecord rec = exprErrorRecord(*r.error, "a + b)");
    EXPECT_EQ(rec.genCode, EG_SYNTAX);
    EXPECT_EQ(rec.subCode, 1449);
    EXPECT_EQ(rec.subsystem, "EXPR");
    EXPECT_EQ(rec.description, "Syntax error");
    EXPECT_EQ(rec.operation, "unexpected ')' at 5");
    EXPECT_TRUE(rec.canDefault);
}

TEST(ExprParser, Dependencies) {
    struct Row {
        const char* src;
        std::set<std::string> fields;
        bool deleted, recNo, other;
    } rows[] = {
        {"puesto + strZero(distrito,2) + Puesto", {"PUESTO", "DISTRITO"}, false, false, false},
        {"!deleted()", {}, true, false, false},
        {"recNo() % 2 = 0", {}, false, true, false},
        {"eof() .or. bof() .or. found() .or. lastRec() > 0", {}, false, true, false},
        {"votos->casilla + casilla", {"CASILLA"}, false, false, true},
        {"votos->(nombre + recNo() + deleted()) + tipo", {"TIPO"}, false, false, true},
        {"field->nombre", {"NOMBRE"}, false, false, false},
        {"date() > fecha", {"FECHA"}, false, false, true},
        {"alias() = 'X'", {}, false, false, true},
        {"iif(a, b, c)", {"A", "B", "C"}, false, false, false},
        {"'x' $ upper(tipo)", {"TIPO"}, false, false, false},
    };
    for (const Row& r : rows) {
        CompileResult res = compileExpr(r.src);
        ASSERT_TRUE(res.expr) << r.src;
        const ExprDeps& d = res.expr->deps();
        EXPECT_EQ(d.fields, r.fields) << r.src;
        EXPECT_EQ(d.deleted, r.deleted) << r.src;
        EXPECT_EQ(d.recNo, r.recNo) << r.src;
        EXPECT_EQ(d.other, r.other) << r.src;
    }
}
