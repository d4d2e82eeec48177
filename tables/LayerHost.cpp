// The expression host of the running table layer: compiled keys, conditions and filters
// read fields of the current area (or of a named alias) through it.
#include "TableLayer.h"
#include "WorkAreas.h"

namespace {

Area* areaOfAlias(const std::string& alias) {
    if (alias.empty()) return areaOrNull();
    int no = SELECT(alias);
    return no ? layer().areas[size_t(no)].get() : nullptr;
}

class LayerHost final : public ExprHost {
public:
    Value field(const FieldRef& ref) override {
        Area* a = areaOfAlias(ref.alias);
        if (!a) {
            ErrorRecord r;
            r.genCode = ref.alias.empty() ? EG_NOTABLE : EG_NOALIAS;
            r.subCode = ref.alias.empty() ? 2001 : 1002;
            r.subsystem = "BASE";
            r.description = errorDescription(r.genCode);
            r.operation = ref.alias.empty() ? ref.name : ref.alias;
            throwError(r);
        }
        if (ref.cachedStamp != a->stamp) {
            ref.cachedPos = a->fieldPos(ref.name);
            ref.cachedStamp = a->stamp;
        }
        if (ref.cachedPos == 0) {
            ErrorRecord r;
            r.genCode = EG_NOVAR;
            r.subCode = 1003;
            r.subsystem = "BASE";
            r.description = errorDescription(EG_NOVAR);
            r.operation = ref.name;
            throwError(r);
        }
        Value out;
        if (ref.alias.empty()) {
            a->rdd->funcs.getValue(*a, ref.cachedPos, out);
        } else {
            int pos = ref.cachedPos;
            out = evalInAlias(ref.alias, [a, pos] {
                Value v;
                a->rdd->funcs.getValue(*a, pos, v);
                return v;
            });
        }
        return out;
    }
    Value inAlias(const std::string& alias, const std::function<Value()>& fn) override {
        if (SELECT(alias) == 0) {
            ErrorRecord r;
            r.genCode = EG_NOALIAS;
            r.subCode = 1002;
            r.subsystem = "BASE";
            r.description = errorDescription(EG_NOALIAS);
            r.operation = alias;
            throwError(r);
        }
        return evalInAlias(alias, fn);
    }
    bool deleted() override { return DELETED(); }
    double recNo() override { return double(RECNO()); }
    double lastRec() override { return double(LASTREC()); }
    bool eof() override { return EOF_(); }
    bool bof() override { return BOF(); }
    bool found() override { return FOUND(); }
    std::string alias() override { return ALIAS(); }
    bool exact() override { return tableSettings().exact; }
};

}  // namespace

ExprHost& layerExprHost() {
    static LayerHost host;
    return host;
}

Block compileBlock(const std::string& text, std::shared_ptr<const CompiledExpr>* compiled) {
    CompileResult r = compileExpr(text);
    if (!r.expr) {
        raiseError(exprErrorRecord(*r.error, text));
        return {};
    }
    if (compiled) *compiled = r.expr;
    std::shared_ptr<const CompiledExpr> expr = r.expr;
    return [expr] { return expr->eval(layerExprHost()); };
}
