// The record buffer's orders, scopes, filters, relations and record loop.
#include <cctype>

#include "Expr.h"
#include "uDbfArea.h"

namespace {

// Reads the fields of the work areas through the layer, and the buffer's own values
// under the alias SELF.
class SelfHost final : public ExprHost {
  public:
    explicit SelfHost(uDBF& self) : base_(layerExprHost()), self_(self) {}
    Value field(const FieldRef& ref) override {
        return ref.alias == "SELF" ? self_.field(ref.name) : base_.field(ref);
    }
    Value inAlias(const std::string& alias, const std::function<Value()>& fn) override {
        return base_.inAlias(alias, fn);
    }
    bool deleted() override { return base_.deleted(); }
    double recNo() override { return base_.recNo(); }
    double lastRec() override { return base_.lastRec(); }
    bool eof() override { return base_.eof(); }
    bool bof() override { return base_.bof(); }
    bool found() override { return base_.found(); }
    std::string alias() override { return base_.alias(); }
    bool exact() override { return base_.exact(); }

  private:
    ExprHost& base_;
    uDBF& self_;
};

// "self:name" becomes "SELF->name" outside string literals, so that the expression
// compiler reads it as a field of the alias SELF.
std::string selfAsAlias(std::string_view text) {
    std::string out;
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (i + 5 <= text.size() &&
                   (i == 0 || !(std::isalnum(uint8_t(text[i - 1])) || text[i - 1] == '_'))) {
            std::string word(text.substr(i, 5));
            for (char& w : word) w = char(std::tolower(uint8_t(w)));
            if (word == "self:") {
                out += "SELF->";
                i += 4;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

// The key callable of a relation text; empty (the syntax error raised) when it does not
// compile.
uDBF::KeyFn compileKey(const std::string& text) {
    CompileResult compiled = compileExpr(selfAsAlias(text));
    if (!compiled.expr) {
        raiseError(exprErrorRecord(*compiled.error, text));
        return {};
    }
    return [expr = compiled.expr](uDBF& self) {
        SelfHost host(self);
        return expr->eval(host);
    };
}

}  // namespace

// ---- orders, scopes, filters -------------------------------------------------------------

std::string uDBF::ordSetFocus(const Value& tag, const std::string& bag) {
    return inArea([&] { return ORDSETFOCUS(tag, bag); });
}

uDBF& uDBF::setScope(const Value& top, const Value& bottom) {
    inArea([&] {
        ORDSCOPE(0, top);
        ORDSCOPE(1, bottom.isNil() ? top : bottom);
    });
    return *this;
}

Value uDBF::ordScope(int which, const Value& value) {
    return inArea([&] { return ORDSCOPE(which, value); });
}

long uDBF::ordKeyNo() {
    return inArea([] { return ORDKEYNO(); });
}

long uDBF::ordKeyCount() {
    return inArea([] { return ORDKEYCOUNT(); });
}

std::string uDBF::indexKey() {
    return inArea([] { return INDEXKEY(0); });
}

bool uDBF::found() {
    return inArea([] { return FOUND(); });
}

Value uDBF::dbOrderInfo(int what, const std::string& bag, const Value& order, const Value& newValue,
                        bool hasNewValue) {
    return inArea([&] { return DBORDERINFO(what, bag, order, newValue, hasNewValue); });
}

uDBF& uDBF::dbSetFilter(const std::string& condition) {
    inArea([&] {
        Block compiled = compileBlock(condition);
        if (compiled) DBSETFILTER(compiled, condition);
    });
    return *this;
}

uDBF& uDBF::dbSetFilter(Block condition, const std::string& text) {
    inArea([&] { return DBSETFILTER(condition, text); });
    return *this;
}

void uDBF::dbClearFilter() {
    inArea([] { DBCLEARFILTER(); });
}

// ---- relations ---------------------------------------------------------------------------

uDBF& uDBF::dbSetRelation(std::shared_ptr<uDBF> child, KeyFn key, bool additive) {
    if (!child) {
        relations_.clear();
        return *this;
    }
    if (!additive) relations_.clear();
    for (Relation& r : relations_) {
        if (r.child == child) {
            r.key = std::move(key);
            return *this;
        }
    }
    relations_.push_back({std::move(child), std::move(key)});
    return *this;
}

uDBF& uDBF::dbSetRelation(std::shared_ptr<uDBF> child, const std::string& keyText, bool additive) {
    if (!child) return dbSetRelation(nullptr, KeyFn{}, additive);
    KeyFn key = compileKey(keyText);
    return key ? dbSetRelation(std::move(child), std::move(key), additive) : *this;
}

uDBF& uDBF::dbDelRelation(const std::shared_ptr<uDBF>& child) {
    if (!child) {
        relations_.clear();
    } else {
        std::erase_if(relations_, [&](const Relation& r) { return r.child == child; });
    }
    return *this;
}

// Seeks every related child with its key, each child cascading to its own relations,
// then runs bChange. A copy of the list is walked, as a hook may change the relations.
void uDBF::cascade() {
    if (!cascading_) {
        cascading_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{cascading_};
        std::vector<Relation> relations = relations_;
        for (Relation& r : relations) {
            Value key = inArea([&] { return r.key(*this); });
            r.child->dbSeek(key);
        }
    }
    if (bChange) bChange(*this);
}

// ---- the record loop ---------------------------------------------------------------------

uDBF& uDBF::dbEval(const EvalArgs& args) {
    DbEvalScope scope;
    scope.next = args.next;
    scope.record = args.record;
    scope.rest = args.rest;
    if (args.forCond) scope.forBlock = [&] { return Value(args.forCond(*this)); };
    if (args.whileCond) scope.whileBlock = [&] { return Value(args.whileCond(*this)); };
    inArea([&] {
        DBEVAL(
            [&] {
                change();
                // The loop walks the current area, whatever area `each` selects.
                if (args.each) inArea([&] { args.each(*this); });
                return Value();
            },
            scope);
    });
    return *this;
}
