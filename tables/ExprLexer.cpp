#include "ExprLexer.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isIdentChar(char c) {
    return isIdentStart(c) || isDigit(c);
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}

bool equalsUpper(std::string_view s, std::string_view upper) {
    if (s.size() != upper.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (upperAscii(s[i]) != upper[i]) return false;
    return true;
}
}  // namespace

double parseExprDigits(std::string_view digits) {
    double v = 0;
    auto [ptr, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), v, std::chars_format::fixed);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Huge when the whole part has a non-zero digit, else vanishingly small.
        size_t nz = digits.find_first_not_of('0');
        bool huge = nz != std::string_view::npos && digits[nz] != '.';
        v = huge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return v;
}

ExprToken ExprLexer::next() {
    ExprToken t = scan();
    t.length = pos_ - t.pos;
    return t;
}

ExprToken ExprLexer::scan() {
    while (pos_ < src_.size() && isBlank(src_[pos_])) ++pos_;
    ExprToken t;
    t.pos = pos_;
    if (pos_ >= src_.size()) return t;

    const size_t start = pos_;
    const char c = src_[pos_];
    const char n = pos_ + 1 < src_.size() ? src_[pos_ + 1] : '\0';
    auto op = [&](TokenKind k, size_t len) {
        t.kind = k;
        t.text = src_.substr(start, len);
        pos_ = start + len;
        return t;
    };

    if (isDigit(c) || (c == '.' && isDigit(n))) return number(start);
    if (c == '.') return dotWord(start);
    if (isIdentStart(c)) {
        size_t end = start + 1;
        while (end < src_.size() && isIdentChar(src_[end])) ++end;
        std::string_view word = src_.substr(start, end - start);
        return op(equalsUpper(word, "NIL") ? TokenKind::Nil : TokenKind::Ident, word.size());
    }
    if (c == '"' || c == '\'') {
        size_t close = src_.find(c, start + 1);
        if (close == std::string_view::npos) {
            t.kind = TokenKind::Error;
            t.error = ExprErrorCode::UnterminatedString;
            t.text = src_.substr(start);
            pos_ = src_.size();
            return t;
        }
        t.kind = TokenKind::String;
        t.text = src_.substr(start + 1, close - start - 1);
        pos_ = close + 1;
        return t;
    }
    switch (c) {
        case '=':
            return n == '=' ? op(TokenKind::ExactEq, 2) : op(TokenKind::Eq, 1);
        case '!':
            return n == '=' ? op(TokenKind::Ne, 2) : op(TokenKind::Not, 1);
        case '#':
            return op(TokenKind::Ne, 1);
        case '<':
            if (n == '>') return op(TokenKind::Ne, 2);
            return n == '=' ? op(TokenKind::Le, 2) : op(TokenKind::Lt, 1);
        case '>':
            return n == '=' ? op(TokenKind::Ge, 2) : op(TokenKind::Gt, 1);
        case '$':
            return op(TokenKind::Dollar, 1);
        case '+':
            return op(TokenKind::Plus, 1);
        case '-':
            return n == '>' ? op(TokenKind::Arrow, 2) : op(TokenKind::Minus, 1);
        case '*':
            return n == '*' ? op(TokenKind::Power, 2) : op(TokenKind::Star, 1);
        case '/':
            return op(TokenKind::Slash, 1);
        case '%':
            return op(TokenKind::Percent, 1);
        case '^':
            return op(TokenKind::Power, 1);
        case '(':
            return op(TokenKind::LParen, 1);
        case ')':
            return op(TokenKind::RParen, 1);
        case ',':
            return op(TokenKind::Comma, 1);
        default:
            break;
    }
    t.kind = TokenKind::Error;
    t.error = ExprErrorCode::UnexpectedChar;
    t.text = src_.substr(start, 1);
    pos_ = start + 1;
    return t;
}

// .T. .F. .Y. .N. .AND. .OR. .NOT., in any case.
ExprToken ExprLexer::dotWord(size_t start) {
    ExprToken t;
    t.pos = start;
    size_t end = start + 1;
    while (end < src_.size() && isIdentStart(src_[end])) ++end;
    if (end < src_.size() && src_[end] == '.' && end > start + 1) {
        std::string_view word = src_.substr(start + 1, end - start - 1);
        t.text = src_.substr(start, end + 1 - start);
        pos_ = end + 1;
        if (equalsUpper(word, "T") || equalsUpper(word, "Y")) {
            t.kind = TokenKind::Logical;
            t.logical = true;
            return t;
        }
        if (equalsUpper(word, "F") || equalsUpper(word, "N")) {
            t.kind = TokenKind::Logical;
            return t;
        }
        if (equalsUpper(word, "AND")) return t.kind = TokenKind::And, t;
        if (equalsUpper(word, "OR")) return t.kind = TokenKind::Or, t;
        if (equalsUpper(word, "NOT")) return t.kind = TokenKind::Not, t;
    }
    t.kind = TokenKind::Error;
    t.error = ExprErrorCode::UnexpectedChar;
    t.text = src_.substr(start, 1);
    pos_ = start + 1;
    return t;
}

ExprToken ExprLexer::number(size_t start) {
    ExprToken t;
    t.kind = TokenKind::Number;
    t.pos = start;
    size_t end = start;
    while (end < src_.size() && isDigit(src_[end])) ++end;
    // A point belongs to the number only when a digit follows: "1.and." is 1 then .AND.
    if (end + 1 < src_.size() && src_[end] == '.' && isDigit(src_[end + 1])) {
        size_t point = end++;
        while (end < src_.size() && isDigit(src_[end])) ++end;
        t.decimals = std::min(int(end - point - 1), kMaxExprDecimals);
    }
    t.text = src_.substr(start, end - start);
    pos_ = end;
    t.number = parseExprDigits(t.text);
    return t;
}
