#pragma once
// A node of the evaluation tree built by the parser: a literal, a field, an alias block,
// a unary operator, a chain of left-associative binary operators of one precedence level,
// or a function call. Evaluation lives in ExprEval.cpp.
//
// Chains keep left-deep sums such as a+b+c+... flat, so that evaluating, dumping and
// destroying the tree recurse only as deep as the text nests.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Expr.h"

struct ExprFunction;

enum class ExprOp : unsigned char {
    Or,
    And,
    Not,
    Eq,       // =
    ExactEq,  // ==
    Ne,       // != <> #
    Lt,
    Le,
    Gt,
    Ge,
    Contains,  // $
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Pow,
    Neg,  // unary -
    Pos,  // unary +
};

class ExprNode {
  public:
    enum class Kind : unsigned char { Literal, Field, Alias, Unary, Binary, Call };

    static std::unique_ptr<ExprNode> literal(Value v, size_t pos);
    static std::unique_ptr<ExprNode> field(std::string alias, std::string name, size_t pos);
    static std::unique_ptr<ExprNode> aliasBlock(std::string alias, std::unique_ptr<ExprNode> body,
                                                size_t pos);
    static std::unique_ptr<ExprNode> unary(ExprOp op, std::unique_ptr<ExprNode> operand,
                                           size_t pos);
    // A chain starting with `first`; extend it with append().
    static std::unique_ptr<ExprNode> chain(std::unique_ptr<ExprNode> first, size_t pos);
    void append(ExprOp op, std::unique_ptr<ExprNode> operand);
    static std::unique_ptr<ExprNode> call(const ExprFunction& fn,
                                          std::vector<std::unique_ptr<ExprNode>> args, size_t pos);

    Kind kind() const { return kind_; }
    ExprOp op() const { return op_; }  // Unary
    // Binary: operator i joins the result so far with child(i + 1).
    ExprOp op(size_t i) const { return ops_[i]; }
    size_t position() const { return pos_; }
    const Value& value() const { return value_; }
    const FieldRef& fieldRef() const { return field_; }  // Field; alias name for Alias
    const ExprFunction* function() const { return fn_; }
    size_t childCount() const { return children_.size(); }
    const ExprNode& child(size_t i) const { return *children_[i]; }

    // Canonical one-line form, e.g. (+ (field A) (call STRZERO (field B) 2)).
    void dump(std::string& out) const;

  private:
    ExprNode(Kind k, size_t pos) : kind_(k), pos_(pos) {}
    Kind kind_;
    ExprOp op_ = ExprOp::Add;
    size_t pos_;
    Value value_;
    FieldRef field_;
    const ExprFunction* fn_ = nullptr;
    std::vector<ExprOp> ops_;
    std::vector<std::unique_ptr<ExprNode>> children_;
};

// Evaluates one node; errors unwind as ErrorException.
Value evalExprNode(const ExprNode& node, ExprHost& host);

// Symbol of an operator as used in error records and dumps ("+", ".AND.", "<>" ...).
const char* exprOpSymbol(ExprOp op);
