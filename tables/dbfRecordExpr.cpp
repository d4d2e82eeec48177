#include "dbfRecordExpr.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "ExprFunctions.h"
#include "ExprNode.h"
#include "TableLayer.h"
#include "Text.h"
#include "dbfTable.h"

namespace dbf {

struct RecordExpr::Node {
    enum class Kind {
        // Text in code-page bytes.
        TextField, TextLiteral, Chain, Left, Right, SubStr, Upper, FromValue,
        // Values.
        ValueField, ValueLiteral, Deleted, Not, Call,
    };
    Kind kind;
    size_t field = 0;             // ValueField
    uint32_t offset = 0, len = 0; // TextField
    std::string bytes;            // TextLiteral
    Value literal;                // ValueLiteral
    int64_t first = 0, count = 0; // Left, Right (first), SubStr (first, count)
    bool hasCount = false;        // SubStr
    std::vector<ExprOp> ops;      // Chain: op i joins child i + 1
    std::array<int16_t, 256> upper{};  // Upper: the byte of each byte's capital, -1 unsure
    const ExprFunction* fn = nullptr;  // Call
    std::vector<std::unique_ptr<Node>> kids;

    explicit Node(Kind k) : kind(k) {}
};

namespace {

using Node = RecordExpr::Node;
using Kind = Node::Kind;

// FnArgs::count of a literal number (a sign before it allowed): clamped, NaN as 0; false
// when it is something else.
bool literalCount(const ExprNode& n, int64_t* out) {
    bool signed_ = n.kind() == ExprNode::Kind::Unary && (n.op() == ExprOp::Neg || n.op() == ExprOp::Pos);
    const ExprNode& lit = signed_ ? n.child(0) : n;
    if (lit.kind() != ExprNode::Kind::Literal || !lit.value().isNumber()) return false;
    double v = signed_ && n.op() == ExprOp::Neg ? -lit.value().num() : lit.value().num();
    *out = std::isnan(v) ? 0 : int64_t(std::clamp(v, -1e15, 1e15));
    return true;
}

class Compiler {
  public:
    explicit Compiler(DbfTable& t) : t_(t) {}

    int fieldOf(const ExprNode& n) const {
        const FieldRef& ref = n.fieldRef();
        if (!ref.alias.empty()) return -1;
        const auto& fields = t_.layout().fields;
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name == ref.name) return int(i);
        return -1;
    }

    std::unique_ptr<Node> text(const ExprNode& n) {
        switch (n.kind()) {
            case ExprNode::Kind::Literal: {
                if (!n.value().isText()) return nullptr;
                auto out = std::make_unique<Node>(Kind::TextLiteral);
                if (!t_.codePage().fromUtf8(n.value().text(), &out->bytes).ok()) return nullptr;
                return out;
            }
            case ExprNode::Kind::Field: {
                int i = fieldOf(n);
                if (i < 0 || t_.layout().fields[size_t(i)].type != 'C') return nullptr;
                auto out = std::make_unique<Node>(Kind::TextField);
                out->offset = t_.layout().fields[size_t(i)].offset;
                out->len = t_.layout().fields[size_t(i)].len;
                return out;
            }
            case ExprNode::Kind::Binary: {
                auto out = std::make_unique<Node>(Kind::Chain);
                for (size_t i = 0; i < n.childCount(); ++i) {
                    if (i > 0) {
                        ExprOp op = n.op(i - 1);
                        if (op != ExprOp::Add && op != ExprOp::Sub) return nullptr;
                        out->ops.push_back(op);
                    }
                    auto kid = text(n.child(i));
                    if (!kid) return nullptr;
                    out->kids.push_back(std::move(kid));
                }
                return out;
            }
            case ExprNode::Kind::Call: return textCall(n);
            default: return nullptr;
        }
    }

    std::unique_ptr<Node> value(const ExprNode& n) {
        switch (n.kind()) {
            case ExprNode::Kind::Literal: {
                auto out = std::make_unique<Node>(Kind::ValueLiteral);
                out->literal = n.value();
                return out;
            }
            case ExprNode::Kind::Field: {
                int i = fieldOf(n);
                // Memo texts live in the memo file.
                if (i < 0 || t_.layout().fields[size_t(i)].type == 'M') return nullptr;
                auto out = std::make_unique<Node>(Kind::ValueField);
                out->field = size_t(i);
                return out;
            }
            case ExprNode::Kind::Unary: {
                if (n.op() != ExprOp::Not) return nullptr;
                auto kid = value(n.child(0));
                if (!kid) return nullptr;
                auto out = std::make_unique<Node>(Kind::Not);
                out->kids.push_back(std::move(kid));
                return out;
            }
            case ExprNode::Kind::Call: {
                const ExprFunction& fn = *n.function();
                if (fn.name == "DELETED") return std::make_unique<Node>(Kind::Deleted);
                if (!fn.eager || fn.dep != FnDep::None || n.childCount() > kMaxFnArgs) return nullptr;
                auto out = std::make_unique<Node>(Kind::Call);
                out->fn = &fn;
                for (size_t i = 0; i < n.childCount(); ++i) {
                    auto kid = value(n.child(i));
                    if (!kid) return nullptr;
                    out->kids.push_back(std::move(kid));
                }
                return out;
            }
            default: return nullptr;
        }
    }

  private:
    std::unique_ptr<Node> textCall(const ExprNode& n) {
        std::string_view name = n.function()->name;
        Kind kind = name == "LEFT" ? Kind::Left : name == "RIGHT" ? Kind::Right
                  : name == "SUBSTR" ? Kind::SubStr : name == "UPPER" ? Kind::Upper : Kind::FromValue;
        if (kind == Kind::FromValue) {
            auto kid = value(n);
            if (!kid) return nullptr;
            auto out = std::make_unique<Node>(Kind::FromValue);
            out->kids.push_back(std::move(kid));
            return out;
        }
        auto out = std::make_unique<Node>(kind);
        if (n.childCount() > 1 && !literalCount(n.child(1), &out->first)) return nullptr;
        out->hasCount = n.childCount() > 2;
        if (out->hasCount && !literalCount(n.child(2), &out->count)) return nullptr;
        if (kind == Kind::Upper) upperTable(out->upper);
        auto kid = text(n.child(0));
        if (!kid) return nullptr;
        out->kids.push_back(std::move(kid));
        return out;
    }

    // The capital of each byte, as text::upper makes it of the character, where it is one
    // byte of the code page again.
    void upperTable(std::array<int16_t, 256>& out) const {
        for (int b = 0; b < 256; ++b) {
            std::string back;
            std::string up = text::upper(t_.codePage().toUtf8(std::string(1, char(b))));
            bool one = t_.codePage().fromUtf8(up, &back).ok() && back.size() == 1;
            out[size_t(b)] = one ? int16_t(uint8_t(back[0])) : int16_t(-1);
        }
    }

    DbfTable& t_;
};

struct Run {
    DbfTable& table;
    uint32_t recno;
    std::string_view raw;
};

bool runValue(const Node& n, Run& r, Value* out);

bool runText(const Node& n, Run& r, std::string* out) {
    size_t start = out->size();
    switch (n.kind) {
        case Kind::TextField: out->append(r.raw.data() + n.offset, n.len); return true;
        case Kind::TextLiteral: out->append(n.bytes); return true;
        case Kind::Chain: {
            if (!runText(*n.kids[0], r, out)) return false;
            for (size_t i = 0; i < n.ops.size(); ++i) {
                if (n.ops[i] == ExprOp::Add) {
                    if (!runText(*n.kids[i + 1], r, out)) return false;
                    continue;
                }
                // The left side's trailing blanks move to the end of the result.
                size_t keep = out->size();
                while (keep > start && (*out)[keep - 1] == ' ') --keep;
                size_t blanks = out->size() - keep;
                out->resize(keep);
                if (!runText(*n.kids[i + 1], r, out)) return false;
                out->append(blanks, ' ');
            }
            return out->size() - start <= kMaxExprText;
        }
        case Kind::Left:
            if (!runText(*n.kids[0], r, out)) return false;
            out->resize(n.first <= 0 ? start : std::min(out->size(), start + size_t(n.first)));
            return true;
        case Kind::Right: {
            if (!runText(*n.kids[0], r, out)) return false;
            size_t len = out->size() - start;
            if (n.first <= 0) out->resize(start);
            else if (uint64_t(n.first) < len) out->erase(start, len - size_t(n.first));
            return true;
        }
        case Kind::SubStr: {
            if (!runText(*n.kids[0], r, out)) return false;
            int64_t len = int64_t(out->size() - start);
            int64_t from = n.first;
            if (from < 0) from += len + 1;
            from = std::max<int64_t>(from, 1);
            int64_t count = n.hasCount ? n.count : len;
            if (from > len || count <= 0) {
                out->resize(start);
                return true;
            }
            count = std::min(count, len - from + 1);
            out->resize(start + size_t(from - 1 + count));
            out->erase(start, size_t(from - 1));
            return true;
        }
        case Kind::Upper: {
            if (!runText(*n.kids[0], r, out)) return false;
            for (size_t i = start; i < out->size(); ++i) {
                int16_t up = n.upper[uint8_t((*out)[i])];
                if (up < 0) return false;
                (*out)[i] = char(up);
            }
            return true;
        }
        case Kind::FromValue: {
            Value v;
            if (!runValue(*n.kids[0], r, &v) || !v.isText()) return false;
            const std::string& s = v.text();
            if (std::all_of(s.begin(), s.end(), [](char c) { return uint8_t(c) < 0x80; })) {
                out->append(s);
                return true;
            }
            std::string bytes;
            if (!r.table.codePage().fromUtf8(s, &bytes).ok()) return false;
            out->append(bytes);
            return true;
        }
        default: return false;
    }
}

bool runValue(const Node& n, Run& r, Value* out) {
    switch (n.kind) {
        case Kind::ValueField: return r.table.decodeRaw(r.recno, r.raw, n.field, out).ok();
        case Kind::ValueLiteral: *out = n.literal; return true;
        case Kind::Deleted: *out = Value(r.raw[0] == '*'); return true;
        case Kind::Not:
            if (!runValue(*n.kids[0], r, out) || !out->isLogical()) return false;
            *out = Value(!out->logical());
            return true;
        case Kind::Call: {
            std::array<Value, kMaxFnArgs> values;
            for (size_t i = 0; i < n.kids.size(); ++i)
                if (!runValue(*n.kids[i], r, &values[i])) return false;
            FnArgs args(*n.fn, std::span<Value>(values.data(), n.kids.size()), layerExprHost());
            *out = n.fn->eager(args);
            return true;
        }
        default: {
            std::string bytes;
            if (!runText(n, r, &bytes)) return false;
            *out = Value(r.table.codePage().toUtf8(bytes));
            return true;
        }
    }
}

bool isTextKind(Kind k) {
    return k <= Kind::FromValue;
}

}  // namespace

RecordExpr::RecordExpr(std::unique_ptr<Node> root, DbfTable& table) : root_(std::move(root)), table_(table) {}
RecordExpr::~RecordExpr() = default;

std::unique_ptr<RecordExpr> RecordExpr::compile(const CompiledExpr& expr, DbfTable& table) {
    Compiler c(table);
    std::unique_ptr<Node> root = c.text(expr.root());
    // A call alone may give any type: it stays a value.
    if (root && root->kind == Kind::FromValue) root = std::move(root->kids[0]);
    if (!root) root = c.value(expr.root());
    if (!root) return nullptr;
    return std::unique_ptr<RecordExpr>(new RecordExpr(std::move(root), table));
}

bool RecordExpr::isText() const {
    return isTextKind(root_->kind);
}

bool RecordExpr::text(uint32_t recno, std::string_view raw, std::string* out) const {
    if (!isText() || raw.size() < table_.layout().header.recordLength || raw.empty()) return false;
    Run r{table_, recno, raw};
    size_t start = out->size();
    if (runText(*root_, r, out)) return true;
    out->resize(start);
    return false;
}

bool RecordExpr::value(uint32_t recno, std::string_view raw, Value* out) const {
    if (raw.size() < table_.layout().header.recordLength || raw.empty()) return false;
    Run r{table_, recno, raw};
    return runValue(*root_, r, out);
}

}  // namespace dbf
