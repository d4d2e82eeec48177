#pragma once
// Recursive-descent parser from expression text to an ExprNode tree. It records what the
// expression reads (ExprDeps) as it goes and caps nesting at kMaxExprDepth, so that its
// own recursion stays bounded whatever the text.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Expr.h"
#include "ExprLexer.h"
#include "ExprNode.h"

class ExprParser {
  public:
    explicit ExprParser(std::string_view text) : text_(text), lexer_(text) {}
    // The tree of the whole text; nullptr with error() set when the text is malformed.
    std::unique_ptr<ExprNode> parse();
    const std::optional<ExprError>& error() const { return error_; }
    const ExprDeps& deps() const { return deps_; }

  private:
    struct Failure {};
    class Nesting;
    using Level = std::unique_ptr<ExprNode> (ExprParser::*)();

    // operand { op operand } for one level of left-associative operators.
    std::unique_ptr<ExprNode> leftChain(Level operand, bool (*opOf)(TokenKind, ExprOp&));

    std::unique_ptr<ExprNode> parseOr();
    std::unique_ptr<ExprNode> parseAnd();
    std::unique_ptr<ExprNode> parseNot();
    std::unique_ptr<ExprNode> parseComparison();
    std::unique_ptr<ExprNode> parseSum();
    std::unique_ptr<ExprNode> parseProduct();
    std::unique_ptr<ExprNode> parsePower();
    std::unique_ptr<ExprNode> parseUnary();
    std::unique_ptr<ExprNode> parsePrimary();
    std::unique_ptr<ExprNode> parseIdentifier();
    std::unique_ptr<ExprNode> parseCall(std::string name, size_t pos);

    void advance();
    void expectClose();
    [[noreturn]] void fail(ExprErrorCode code, size_t pos, std::string what);
    [[noreturn]] void unexpected();
    std::string describe(const ExprToken& t) const;

    std::string_view text_;
    ExprLexer lexer_;
    ExprToken cur_;
    int depth_ = 0;
    int aliasDepth_ = 0;  // > 0 inside alias->( ... ), where fields belong to another area
    ExprDeps deps_;
    std::optional<ExprError> error_;
};
