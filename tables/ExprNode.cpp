#include "ExprNode.h"

#include "ExprFunctions.h"

std::unique_ptr<ExprNode> ExprNode::literal(Value v, size_t pos) {
    std::unique_ptr<ExprNode> n(new ExprNode(Kind::Literal, pos));
    n->value_ = std::move(v);
    return n;
}

std::unique_ptr<ExprNode> ExprNode::field(std::string alias, std::string name, size_t pos) {
    std::unique_ptr<ExprNode> n(new ExprNode(Kind::Field, pos));
    n->field_.alias = std::move(alias);
    n->field_.name = std::move(name);
    return n;
}

std::unique_ptr<ExprNode> ExprNode::aliasBlock(std::string alias, std::unique_ptr<ExprNode> body,
                                               size_t pos) {
    std::unique_ptr<ExprNode> n(new ExprNode(Kind::Alias, pos));
    n->field_.alias = std::move(alias);
    n->children_.push_back(std::move(body));
    return n;
}

std::unique_ptr<ExprNode> ExprNode::unary(ExprOp op, std::unique_ptr<ExprNode> operand,
                                          size_t pos) {
    std::unique_ptr<ExprNode> n(new ExprNode(Kind::Unary, pos));
    n->op_ = op;
    n->children_.push_back(std::move(operand));
    return n;
}

std::unique_ptr<ExprNode> ExprNode::chain(std::unique_ptr<ExprNode> first, size_t pos) {
    std::unique_ptr<ExprNode> n(new ExprNode(Kind::Binary, pos));
    n->children_.push_back(std::move(first));
    return n;
}

void ExprNode::append(ExprOp op, std::unique_ptr<ExprNode> operand) {
    ops_.push_back(op);
    children_.push_back(std::move(operand));
}

std::unique_ptr<ExprNode> ExprNode::call(const ExprFunction& fn,
                                         std::vector<std::unique_ptr<ExprNode>> args, size_t pos) {
    std::unique_ptr<ExprNode> n(new ExprNode(Kind::Call, pos));
    n->fn_ = &fn;
    n->children_ = std::move(args);
    return n;
}

const char* exprOpSymbol(ExprOp op) {
    switch (op) {
        case ExprOp::Or:
            return ".OR.";
        case ExprOp::And:
            return ".AND.";
        case ExprOp::Not:
            return ".NOT.";
        case ExprOp::Eq:
            return "=";
        case ExprOp::ExactEq:
            return "==";
        case ExprOp::Ne:
            return "<>";
        case ExprOp::Lt:
            return "<";
        case ExprOp::Le:
            return "<=";
        case ExprOp::Gt:
            return ">";
        case ExprOp::Ge:
            return ">=";
        case ExprOp::Contains:
            return "$";
        case ExprOp::Add:
            return "+";
        case ExprOp::Sub:
            return "-";
        case ExprOp::Mul:
            return "*";
        case ExprOp::Div:
            return "/";
        case ExprOp::Mod:
            return "%";
        case ExprOp::Pow:
            return "^";
        case ExprOp::Neg:
            return "-";
        case ExprOp::Pos:
            return "+";
    }
    return "?";
}

namespace {
void dumpLiteral(const Value& v, std::string& out) {
    switch (v.type()) {
        case 'N':
            out += formatExprNumber(v.num(), 0, v.numDecimals());
            break;
        case 'L':
            out += v.logical() ? ".T." : ".F.";
            break;
        case 'U':
            out += "NIL";
            break;
        default: {
            char q = v.text().find('"') == std::string::npos ? '"' : '\'';
            out += q;
            out += v.text();
            out += q;
        }
    }
}
}  // namespace

void ExprNode::dump(std::string& out) const {
    switch (kind_) {
        case Kind::Literal:
            dumpLiteral(value_, out);
            return;
        case Kind::Field:
            out += "(field ";
            if (!field_.alias.empty()) out += field_.alias + "->";
            out += field_.name + ")";
            return;
        case Kind::Alias:
            out += "(alias " + field_.alias + " ";
            children_[0]->dump(out);
            out += ")";
            return;
        case Kind::Unary:
            out += "(";
            out += exprOpSymbol(op_);
            out += " ";
            children_[0]->dump(out);
            out += ")";
            return;
        case Kind::Binary:
            // Written as the left-deep binary tree it stands for.
            for (size_t i = ops_.size(); i-- > 0;) {
                out += "(";
                out += exprOpSymbol(ops_[i]);
                out += " ";
            }
            children_[0]->dump(out);
            for (size_t i = 1; i < children_.size(); ++i) {
                out += " ";
                children_[i]->dump(out);
                out += ")";
            }
            return;
        case Kind::Call:
            out += "(call ";
            out += fn_->name;
            for (const auto& c : children_) {
                out += " ";
                c->dump(out);
            }
            out += ")";
            return;
    }
}

CompiledExpr::CompiledExpr(std::string text, std::unique_ptr<ExprNode> root, ExprDeps deps)
    : text_(std::move(text)), root_(std::move(root)), deps_(std::move(deps)) {}

CompiledExpr::~CompiledExpr() = default;

std::string CompiledExpr::dump() const {
    std::string out;
    if (root_) root_->dump(out);
    return out;
}
