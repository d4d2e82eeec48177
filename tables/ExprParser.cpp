#include "ExprParser.h"

#include <cstdio>

#include "ExprFunctions.h"

namespace {
std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return out;
}

bool orOp(TokenKind k, ExprOp& op) {
    op = ExprOp::Or;
    return k == TokenKind::Or;
}
bool andOp(TokenKind k, ExprOp& op) {
    op = ExprOp::And;
    return k == TokenKind::And;
}
bool comparisonOp(TokenKind k, ExprOp& op) {
    switch (k) {
        case TokenKind::Eq:
            op = ExprOp::Eq;
            return true;
        case TokenKind::ExactEq:
            op = ExprOp::ExactEq;
            return true;
        case TokenKind::Ne:
            op = ExprOp::Ne;
            return true;
        case TokenKind::Lt:
            op = ExprOp::Lt;
            return true;
        case TokenKind::Le:
            op = ExprOp::Le;
            return true;
        case TokenKind::Gt:
            op = ExprOp::Gt;
            return true;
        case TokenKind::Ge:
            op = ExprOp::Ge;
            return true;
        case TokenKind::Dollar:
            op = ExprOp::Contains;
            return true;
        default:
            return false;
    }
}
bool sumOp(TokenKind k, ExprOp& op) {
    op = k == TokenKind::Plus ? ExprOp::Add : ExprOp::Sub;
    return k == TokenKind::Plus || k == TokenKind::Minus;
}
bool productOp(TokenKind k, ExprOp& op) {
    switch (k) {
        case TokenKind::Star:
            op = ExprOp::Mul;
            return true;
        case TokenKind::Slash:
            op = ExprOp::Div;
            return true;
        case TokenKind::Percent:
            op = ExprOp::Mod;
            return true;
        default:
            return false;
    }
}
}  // namespace

// Counts one level of nesting for as long as it lives.
class ExprParser::Nesting {
  public:
    Nesting(ExprParser& p, size_t pos) : p_(p) {
        if (++p_.depth_ > kMaxExprDepth)
            p_.fail(ExprErrorCode::TooDeep, pos,
                    "nesting deeper than " + std::to_string(kMaxExprDepth));
    }
    ~Nesting() { --p_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

  private:
    ExprParser& p_;
};

std::unique_ptr<ExprNode> ExprParser::parse() {
    try {
        if (text_.size() > kMaxExprLength)
            fail(ExprErrorCode::TooLong, kMaxExprLength,
                 "expression longer than " + std::to_string(kMaxExprLength) + " bytes");
        if (text_.find_first_not_of(" \t\r\n") == std::string_view::npos)
            fail(ExprErrorCode::Empty, 0, "empty expression");
        advance();
        std::unique_ptr<ExprNode> root = parseOr();
        if (cur_.kind != TokenKind::End) unexpected();
        return root;
    } catch (const Failure&) {
        return nullptr;
    }
}

void ExprParser::fail(ExprErrorCode code, size_t pos, std::string what) {
    ExprError e;
    e.code = code;
    e.position = pos;
    e.fragment = std::string(text_.substr(std::min(pos, text_.size()), 20));
    e.message = std::move(what) + " at " + std::to_string(pos);
    error_ = std::move(e);
    throw Failure{};
}

std::string ExprParser::describe(const ExprToken& t) const {
    if (t.kind == TokenKind::End) return "end of expression";
    return "'" + std::string(text_.substr(t.pos, std::min<size_t>(t.length, 20))) + "'";
}

void ExprParser::unexpected() {
    fail(ExprErrorCode::UnexpectedToken, cur_.pos, "unexpected " + describe(cur_));
}

void ExprParser::advance() {
    cur_ = lexer_.next();
    if (cur_.kind != TokenKind::Error) return;
    if (cur_.error == ExprErrorCode::UnterminatedString)
        fail(ExprErrorCode::UnterminatedString, cur_.pos, "unterminated string");
    unsigned char c = (unsigned char)text_[cur_.pos];
    char what[32];
    if (c >= 0x20 && c < 0x7F)
        std::snprintf(what, sizeof what, "unexpected character '%c'", c);
    else
        std::snprintf(what, sizeof what, "unexpected byte 0x%02X", c);
    fail(ExprErrorCode::UnexpectedChar, cur_.pos, what);
}

void ExprParser::expectClose() {
    if (cur_.kind == TokenKind::RParen) return advance();
    if (cur_.kind == TokenKind::End) fail(ExprErrorCode::MissingParen, cur_.pos, "missing ')'");
    unexpected();
}

std::unique_ptr<ExprNode> ExprParser::leftChain(Level operand, bool (*opOf)(TokenKind, ExprOp&)) {
    std::unique_ptr<ExprNode> first = (this->*operand)();
    ExprOp op;
    if (!opOf(cur_.kind, op)) return first;
    std::unique_ptr<ExprNode> chain = ExprNode::chain(std::move(first), cur_.pos);
    while (opOf(cur_.kind, op)) {
        advance();
        chain->append(op, (this->*operand)());
    }
    return chain;
}

std::unique_ptr<ExprNode> ExprParser::parseOr() {
    return leftChain(&ExprParser::parseAnd, orOp);
}
std::unique_ptr<ExprNode> ExprParser::parseAnd() {
    return leftChain(&ExprParser::parseNot, andOp);
}

std::unique_ptr<ExprNode> ExprParser::parseNot() {
    if (cur_.kind != TokenKind::Not) return parseComparison();
    size_t pos = cur_.pos;
    Nesting level(*this, pos);
    advance();
    return ExprNode::unary(ExprOp::Not, parseNot(), pos);
}

std::unique_ptr<ExprNode> ExprParser::parseComparison() {
    return leftChain(&ExprParser::parseSum, comparisonOp);
}
std::unique_ptr<ExprNode> ExprParser::parseSum() {
    return leftChain(&ExprParser::parseProduct, sumOp);
}
std::unique_ptr<ExprNode> ExprParser::parseProduct() {
    return leftChain(&ExprParser::parsePower, productOp);
}

// Right-associative: 2^3^2 is 2^(3^2).
std::unique_ptr<ExprNode> ExprParser::parsePower() {
    std::unique_ptr<ExprNode> base = parseUnary();
    if (cur_.kind != TokenKind::Power) return base;
    size_t pos = cur_.pos;
    Nesting level(*this, pos);
    advance();
    std::unique_ptr<ExprNode> node = ExprNode::chain(std::move(base), pos);
    node->append(ExprOp::Pow, parsePower());
    return node;
}

std::unique_ptr<ExprNode> ExprParser::parseUnary() {
    if (cur_.kind != TokenKind::Minus && cur_.kind != TokenKind::Plus) return parsePrimary();
    ExprOp op = cur_.kind == TokenKind::Minus ? ExprOp::Neg : ExprOp::Pos;
    size_t pos = cur_.pos;
    Nesting level(*this, pos);
    advance();
    return ExprNode::unary(op, parseUnary(), pos);
}

std::unique_ptr<ExprNode> ExprParser::parsePrimary() {
    const size_t pos = cur_.pos;
    std::unique_ptr<ExprNode> node;
    switch (cur_.kind) {
        case TokenKind::Number:
            node = ExprNode::literal(Value::number(cur_.number, -1, cur_.decimals), pos);
            break;
        case TokenKind::String:
            node = ExprNode::literal(Value(cur_.text), pos);
            break;
        case TokenKind::Logical:
            node = ExprNode::literal(Value(cur_.logical), pos);
            break;
        case TokenKind::Nil:
            node = ExprNode::literal(Value(), pos);
            break;
        case TokenKind::LParen: {
            Nesting level(*this, pos);
            advance();
            node = parseOr();
            expectClose();
            return node;
        }
        case TokenKind::Ident:
            return parseIdentifier();
        default:
            unexpected();
    }
    advance();
    return node;
}

// A field, alias->field, alias->(expression) or function call.
std::unique_ptr<ExprNode> ExprParser::parseIdentifier() {
    std::string name = upperAscii(cur_.text);
    const size_t pos = cur_.pos;
    advance();
    if (cur_.kind == TokenKind::LParen) return parseCall(std::move(name), pos);
    const bool currentArea = name == "FIELD";
    if (cur_.kind == TokenKind::Arrow) {
        advance();
        if (cur_.kind == TokenKind::Ident) {
            std::string fieldName = upperAscii(cur_.text);
            advance();
            if (currentArea) {
                if (aliasDepth_ == 0) deps_.fields.insert(fieldName);
                return ExprNode::field("", std::move(fieldName), pos);
            }
            deps_.other = true;
            return ExprNode::field(std::move(name), std::move(fieldName), pos);
        }
        if (cur_.kind != TokenKind::LParen) unexpected();
        Nesting level(*this, cur_.pos);
        advance();
        if (!currentArea) ++aliasDepth_;
        std::unique_ptr<ExprNode> body = parseOr();
        if (!currentArea) --aliasDepth_;
        expectClose();
        if (currentArea) return body;
        deps_.other = true;
        return ExprNode::aliasBlock(std::move(name), std::move(body), pos);
    }
    if (aliasDepth_ == 0) deps_.fields.insert(name);
    return ExprNode::field("", std::move(name), pos);
}

std::unique_ptr<ExprNode> ExprParser::parseCall(std::string name, size_t pos) {
    const ExprFunction* fn = findExprFunction(name);
    if (!fn) fail(ExprErrorCode::UnknownFunction, pos, "unknown function '" + name + "'");
    Nesting level(*this, cur_.pos);
    advance();
    std::vector<std::unique_ptr<ExprNode>> args;
    if (cur_.kind != TokenKind::RParen) {
        for (;;) {
            args.push_back(parseOr());
            if (cur_.kind != TokenKind::Comma) break;
            advance();
        }
    }
    expectClose();
    if (args.size() < fn->minArgs || args.size() > fn->maxArgs) {
        std::string expected = std::to_string(fn->minArgs);
        if (fn->maxArgs != fn->minArgs) expected += " to " + std::to_string(fn->maxArgs);
        fail(ExprErrorCode::WrongArgCount, pos,
             std::string(fn->name) + " takes " + expected + " argument(s), not " +
                 std::to_string(args.size()));
    }
    // Inside alias->( ) the work-area functions ask about another area.
    FnDep dep = aliasDepth_ > 0 && fn->dep != FnDep::None ? FnDep::Other : fn->dep;
    switch (dep) {
        case FnDep::None:
            break;
        case FnDep::Deleted:
            deps_.deleted = true;
            break;
        case FnDep::RecNo:
            deps_.recNo = true;
            break;
        case FnDep::Other:
            deps_.other = true;
            break;
    }
    return ExprNode::call(*fn, std::move(args), pos);
}

CompileResult compileExpr(std::string_view text) {
    CompileResult result;
    ExprParser parser(text);
    std::unique_ptr<ExprNode> root = parser.parse();
    if (!root) {
        result.error = parser.error();
        return result;
    }
    result.expr =
        std::make_shared<const CompiledExpr>(std::string(text), std::move(root), parser.deps());
    return result;
}

ErrorRecord exprErrorRecord(const ExprError& e, std::string_view text) {
    ErrorRecord r = makeError(EG_SYNTAX, 1449, "EXPR", e.message);
    if (r.operation.empty())
        r.operation = "error at " + std::to_string(e.position) + " in " + std::string(text);
    r.canDefault = true;
    return r;
}
