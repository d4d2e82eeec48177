#pragma once
// Splits expression text into tokens on demand, one at a time, so that the first error in
// reading order is the one reported.
#include <cstddef>
#include <string_view>

#include "Expr.h"

enum class TokenKind : unsigned char {
    End,
    Error,  // bad character or unterminated string; see ExprToken::error
    Number,
    String,
    Logical,
    Nil,
    Ident,
    Or,
    And,
    Not,      // .NOT. or !
    Eq,       // =
    ExactEq,  // ==
    Ne,       // != <> #
    Lt,
    Le,
    Gt,
    Ge,
    Dollar,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Power,  // ** or ^
    LParen,
    RParen,
    Comma,
    Arrow,  // ->
};

// One token: its kind, where it stands in the text and, for literals, its value.
struct ExprToken {
    TokenKind kind = TokenKind::End;
    size_t pos = 0;         // byte offset of the first character
    size_t length = 0;      // bytes in the source, quotes included
    std::string_view text;  // the token as written; for strings, without the quotes
    double number = 0;      // Number
    int decimals = 0;       // Number: digits written after the point
    bool logical = false;   // Logical
    ExprErrorCode error = ExprErrorCode::UnexpectedChar;  // Error
};

// Reads tokens from the text, skipping blanks; Error tokens carry the lexical error code.
class ExprLexer {
  public:
    explicit ExprLexer(std::string_view src) : src_(src) {}
    ExprToken next();

  private:
    ExprToken scan();
    ExprToken dotWord(size_t start);
    ExprToken number(size_t start);
    std::string_view src_;
    size_t pos_ = 0;
};

// Most decimals kept as a number's decimals hint.
constexpr int kMaxExprDecimals = 15;

// Value of unsigned decimal digits with an optional point ("12", "1.50", ".5"); a value
// too large to hold is infinite.
double parseExprDigits(std::string_view digits);
