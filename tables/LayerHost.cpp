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
            if (ref.alias.empty()) throwError(makeError(EG_NOTABLE, 2001, "BASE", ref.name));
            throwError(makeError(EG_NOALIAS, 1002, "BASE", ref.alias));
        }
        if (ref.cachedStamp != a->stamp) {
            ref.cachedPos = a->fieldPos(ref.name);
            ref.cachedStamp = a->stamp;
        }
        if (ref.cachedPos == 0) throwError(makeError(EG_NOVAR, 1003, "BASE", ref.name));
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
        if (SELECT(alias) == 0) throwError(makeError(EG_NOALIAS, 1002, "BASE", alias));
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
