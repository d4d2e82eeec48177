// Evaluation of the expression tree: operators here, functions in ExprFunctions.cpp.
#include <algorithm>
#include <array>
#include <cmath>

#include "ExprFunctions.h"
#include "ExprLexer.h"
#include "ExprNode.h"
#include "Text.h"

namespace {

int subCodeOf(ExprOp op) {
    switch (op) {
        case ExprOp::ExactEq:
            return 1070;
        case ExprOp::Eq:
            return 1071;
        case ExprOp::Ne:
            return 1072;
        case ExprOp::Lt:
            return 1073;
        case ExprOp::Le:
            return 1074;
        case ExprOp::Gt:
            return 1075;
        case ExprOp::Ge:
            return 1076;
        case ExprOp::Not:
            return 1077;
        case ExprOp::And:
            return 1078;
        case ExprOp::Or:
            return 1079;
        case ExprOp::Neg:
        case ExprOp::Pos:
            return 1080;
        case ExprOp::Add:
            return 1081;
        case ExprOp::Sub:
            return 1082;
        case ExprOp::Mul:
            return 1083;
        case ExprOp::Div:
            return 1084;
        case ExprOp::Mod:
            return 1085;
        case ExprOp::Pow:
            return 1088;
        case ExprOp::Contains:
            return 1109;
    }
    return 1099;
}

[[noreturn]] void opError(ExprOp op, int genCode = EG_ARG) {
    raiseExprError(genCode, subCodeOf(op), exprOpSymbol(op));
}

// Decimals hints of a result: -1 is unknown.
int largerDecimals(const Value& a, const Value& b) {
    return std::max(a.numDecimals(), b.numDecimals());
}
int summedDecimals(const Value& a, const Value& b) {
    int x = a.numDecimals(), y = b.numDecimals();
    if (x < 0 && y < 0) return -1;
    return std::min(std::max(x, 0) + std::max(y, 0), kMaxExprDecimals);
}

Date shiftDate(Date d, double days) {
    if (d.empty()) return d;
    // Beyond any representable span: plusDays would give the empty date anyway.
    if (!std::isfinite(days) || std::fabs(days) > 1e8) return Date();
    return d.plusDays(int64_t(std::trunc(days)));
}

void checkTextSize(size_t bytes, ExprOp op) {
    if (bytes > kMaxExprText) opError(op, EG_STROVERFLOW);
}

// The text rule shared by = <> < <= > >=: with exact off, an empty right side matches and
// only as many characters of the left side as the right side has are compared; with exact
// on, both sides lose their trailing blanks.
int compareText(std::string_view l, std::string_view r, bool exact) {
    if (exact) {
        l = l.substr(0, l.find_last_not_of(' ') + 1);
        r = r.substr(0, r.find_last_not_of(' ') + 1);
    } else {
        if (r.empty()) return 0;
        l = l.substr(0, text::byteOffset(l, text::length(r)));
    }
    int c = l.compare(r);
    return (c > 0) - (c < 0);
}

template <class T>
int order(const T& a, const T& b) {
    return (b < a) - (a < b);
}

bool compare(ExprOp op, const Value& l, const Value& r, ExprHost& host) {
    if (op == ExprOp::ExactEq) {
        if (l.isText() && r.isText()) return l.text() == r.text();
        if (l.type() != r.type() && !l.isNil() && !r.isNil()) opError(op);
        return l == r;
    }
    if (op == ExprOp::Contains) {
        if (!l.isText() || !r.isText()) opError(op);
        return !l.text().empty() && r.text().find(l.text()) != std::string::npos;
    }
    int c = 0;
    if (l.isText() && r.isText())
        c = compareText(l.text(), r.text(), host.exact());
    else if (l.isNumber() && r.isNumber())
        c = order(l.num(), r.num());
    else if (l.isDate() && r.isDate())
        c = order(l.date(), r.date());
    else if (l.isLogical() && r.isLogical())
        c = order(l.logical(), r.logical());
    else if ((op == ExprOp::Eq || op == ExprOp::Ne) && (l.isNil() || r.isNil()))
        c = l.isNil() && r.isNil() ? 0 : 1;
    else
        opError(op);
    switch (op) {
        case ExprOp::Eq:
            return c == 0;
        case ExprOp::Ne:
            return c != 0;
        case ExprOp::Lt:
            return c < 0;
        case ExprOp::Le:
            return c <= 0;
        case ExprOp::Gt:
            return c > 0;
        case ExprOp::Ge:
            return c >= 0;
        default:
            opError(op);
    }
}

// acc = acc op r, reusing acc's text where it can.
void applyBinary(ExprOp op, Value& acc, Value& r, ExprHost& host) {
    const bool nums = acc.isNumber() && r.isNumber();
    switch (op) {
        case ExprOp::Add:
            if (nums) {
                acc = Value::number(acc.num() + r.num(), -1, largerDecimals(acc, r));
            } else if (acc.isText() && r.isText()) {
                std::string& s = mutableText(acc);
                checkTextSize(s.size() + r.text().size(), op);
                s += r.text();
            } else if (acc.isDate() && r.isNumber()) {
                acc = Value(shiftDate(acc.date(), r.num()));
            } else if (acc.isNumber() && r.isDate()) {
                acc = Value(shiftDate(r.date(), acc.num()));
            } else {
                opError(op);
            }
            return;
        case ExprOp::Sub:
            if (nums) {
                acc = Value::number(acc.num() - r.num(), -1, largerDecimals(acc, r));
            } else if (acc.isText() && r.isText()) {
                // The left side's trailing blanks move to the end of the result.
                std::string& s = mutableText(acc);
                checkTextSize(s.size() + r.text().size(), op);
                size_t keep = s.find_last_not_of(' ') + 1;
                size_t blanks = s.size() - keep;
                s.resize(keep);
                s += r.text();
                s.append(blanks, ' ');
            } else if (acc.isDate() && r.isDate()) {
                acc = Value::number(double(acc.date().julian()) - r.date().julian(), -1, 0);
            } else if (acc.isDate() && r.isNumber()) {
                acc = Value(shiftDate(acc.date(), -r.num()));
            } else {
                opError(op);
            }
            return;
        case ExprOp::Mul:
            if (!nums) opError(op);
            acc = Value::number(acc.num() * r.num(), -1, summedDecimals(acc, r));
            return;
        case ExprOp::Div:
            if (!nums) opError(op);
            if (r.num() == 0) opError(op, EG_ZERODIV);
            acc = Value::number(acc.num() / r.num(), -1, -1);
            return;
        case ExprOp::Mod:
            if (!nums) opError(op);
            if (r.num() == 0) opError(op, EG_ZERODIV);
            acc = Value::number(std::fmod(acc.num(), r.num()), -1, largerDecimals(acc, r));
            return;
        case ExprOp::Pow:
            if (!nums) opError(op);
            acc = Value::number(std::pow(acc.num(), r.num()), -1, -1);
            return;
        default:
            acc = Value(compare(op, acc, r, host));
            return;
    }
}

Value evalChain(const ExprNode& n, ExprHost& host) {
    Value acc = evalExprNode(n.child(0), host);
    for (size_t i = 0; i + 1 < n.childCount(); ++i) {
        ExprOp op = n.op(i);
        if (op == ExprOp::And || op == ExprOp::Or) {
            if (!acc.isLogical()) opError(op);
            if (acc.logical() == (op == ExprOp::Or)) continue;  // decided: skip the operand
            acc = evalExprNode(n.child(i + 1), host);
            if (!acc.isLogical()) opError(op);
            continue;
        }
        Value r = evalExprNode(n.child(i + 1), host);
        applyBinary(op, acc, r, host);
    }
    return acc;
}

Value evalUnary(const ExprNode& n, ExprHost& host) {
    Value v = evalExprNode(n.child(0), host);
    switch (n.op()) {
        case ExprOp::Not:
            if (!v.isLogical()) opError(n.op());
            return Value(!v.logical());
        case ExprOp::Neg:
            if (!v.isNumber()) opError(n.op());
            return Value::number(-v.num(), v.numWidth(), v.numDecimals());
        default:
            if (!v.isNumber()) opError(n.op());
            return v;
    }
}

Value evalCall(const ExprNode& n, ExprHost& host) {
    const ExprFunction& fn = *n.function();
    if (fn.lazy) return fn.lazy(n, host);
    std::array<Value, kMaxFnArgs> values;
    const size_t count = std::min(n.childCount(), kMaxFnArgs);
    for (size_t i = 0; i < count; ++i) values[i] = evalExprNode(n.child(i), host);
    FnArgs args(fn, std::span<Value>(values.data(), count), host);
    return fn.eager(args);
}

}  // namespace

Value evalExprNode(const ExprNode& n, ExprHost& host) {
    switch (n.kind()) {
        case ExprNode::Kind::Literal:
            return n.value();
        case ExprNode::Kind::Field:
            return host.field(n.fieldRef());
        case ExprNode::Kind::Alias:
            return host.inAlias(n.fieldRef().alias,
                                [&n, &host]() { return evalExprNode(n.child(0), host); });
        case ExprNode::Kind::Unary:
            return evalUnary(n, host);
        case ExprNode::Kind::Binary:
            return evalChain(n, host);
        case ExprNode::Kind::Call:
            return evalCall(n, host);
    }
    return Value();
}

Value CompiledExpr::eval(ExprHost& host) const {
    return evalExprNode(*root_, host);
}
