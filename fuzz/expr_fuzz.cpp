// Compiles the input as an expression and, when it compiles, evaluates it against a tiny
// fixed record: nothing may crash, and evaluation may only unwind with ErrorException.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Expr.h"

namespace {

[[noreturn]] void fail(int genCode, const std::string& what) {
    ErrorRecord r;
    r.genCode = genCode;
    r.subsystem = "BASE";
    r.description = errorDescription(genCode);
    r.operation = what;
    throwError(r);
}

// Two areas: the current one (ACTAS) and VOTOS, each with a few fields.
class FixedHost : public ExprHost {
  public:
    Value field(const FieldRef& ref) override {
        const std::string& area = ref.alias.empty() ? current_ : ref.alias;
        if (area != "ACTAS" && area != "VOTOS") fail(EG_NOALIAS, ref.alias);
        ref.cachedStamp = area == "ACTAS" ? 1 : 2;
        if (ref.name == "TIPO") return Value("B1");
        if (ref.name == "NOMBRE") return Value(area == "ACTAS" ? "JUAN  " : "Otro");
        if (ref.name == "CASILLA") return Value::number(12, 4, 0);
        if (ref.name == "TOTAL") return Value::number(123.45, 10, 2);
        if (ref.name == "FECHA") return Value(Date::fromDtos("20240602"));
        if (ref.name == "VACIA") return Value(Date());
        if (ref.name == "NOTA") return Value::memo("memo");
        if (ref.name == "SI") return Value(true);
        fail(EG_NOVAR, ref.name);
    }
    Value inAlias(const std::string& alias, const std::function<Value()>& fn) override {
        if (alias != "ACTAS" && alias != "VOTOS") fail(EG_NOALIAS, alias);
        std::string saved = current_;
        current_ = alias;
        try {
            Value v = fn();
            current_ = saved;
            return v;
        } catch (...) {
            current_ = saved;
            throw;
        }
    }
    bool deleted() override { return false; }
    double recNo() override { return 7; }
    double lastRec() override { return 10; }
    bool eof() override { return false; }
    bool bof() override { return false; }
    bool found() override { return true; }
    std::string alias() override { return current_; }
    bool exact() override { return exact_ = !exact_; }  // both meanings of "=" get exercised

  private:
    std::string current_ = "ACTAS";
    bool exact_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScopedErrorHandler silent([](const ErrorRecord&) { return ErrorAction::Default; });
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CompileResult r = compileExpr(text);
    if (!r.expr) {
        exprErrorRecord(*r.error, text);
        return 0;
    }
    (void)r.expr->dump();
    static FixedHost host;
    try {
        (void)r.expr->eval(host);
    } catch (const ErrorException&) {
    }
    return 0;
}
