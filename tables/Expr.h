#pragma once
// The expression compiler: index keys, FOR conditions and filters are stored as text
// and compiled once into an evaluation tree that is evaluated many times.
//
// Pipeline, one stage per file: ExprLexer -> ExprParser (tree of ExprNode) -> evaluation
// (ExprEval, with the function library in ExprFunctions). Compile errors carry a code,
// the 0-based byte position and the offending fragment; evaluation errors go through the
// error handler and unwind as ErrorException (subsystem "BASE").
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "Error.h"
#include "Value.h"

// Field reference inside a compiled expression: the area is resolved by the host, which
// caches the field position under the open table's stamp (unique per open, never reused),
// so that repeated evaluation does not look names up.
struct FieldRef {
    std::string alias;  // upper case; "" = the current work area
    std::string name;   // upper case
    mutable uint64_t cachedStamp = 0;
    mutable int cachedPos = 0;
};

// What an expression needs from the work areas. The table layer provides the running one.
class ExprHost {
public:
    virtual ~ExprHost() = default;
    // Value of a field; raises an error (EG_NOVAR / EG_NOALIAS) and unwinds when unknown.
    virtual Value field(const FieldRef& ref) = 0;
    // Evaluates `fn` with `alias` selected as current area, restoring the previous one.
    virtual Value inAlias(const std::string& alias, const std::function<Value()>& fn) = 0;
    virtual bool deleted() = 0;
    virtual double recNo() = 0;
    virtual double lastRec() = 0;
    virtual bool eof() = 0;
    virtual bool bof() = 0;
    virtual bool found() = 0;
    virtual std::string alias() = 0;
    // The "exact comparison" setting, which decides what "=" means between texts.
    virtual bool exact() = 0;
};

// What an expression reads, so that a caller can tell whether a change can alter its value.
struct ExprDeps {
    std::set<std::string> fields;  // upper-case names of fields of the current area
    bool deleted = false;          // deleted()
    bool recNo = false;            // recNo(), eof(), bof(), found(), lastRec()
    bool other = false;            // anything else: aliases, date(), ...
};

enum class ExprErrorCode {
    UnexpectedChar,
    UnterminatedString,
    UnexpectedToken,
    MissingParen,
    UnknownFunction,
    WrongArgCount,
    TooLong,
    TooDeep,
    Empty,
};

struct ExprError {
    ExprErrorCode code;
    size_t position = 0;    // 0-based byte offset in the text
    std::string fragment;   // the text from the position (at most 20 bytes)
    std::string message;    // English message naming the position, e.g. "unexpected ')' at 7"
};

class ExprNode;

class CompiledExpr {
public:
    CompiledExpr(std::string text, std::unique_ptr<ExprNode> root, ExprDeps deps);
    ~CompiledExpr();
    const std::string& text() const { return text_; }
    const ExprDeps& deps() const { return deps_; }
    Value eval(ExprHost& host) const;
    // The evaluation tree, for compilers of special forms (see dbfRecordExpr.h).
    const ExprNode& root() const { return *root_; }
    // One-line canonical form of the tree, for tests: e.g. "(+ (field PUESTO) (call STRZERO (field DISTRITO) 2))".
    std::string dump() const;

private:
    std::string text_;
    std::unique_ptr<ExprNode> root_;
    ExprDeps deps_;
};

struct CompileResult {
    std::shared_ptr<const CompiledExpr> expr;  // set on success
    std::optional<ExprError> error;            // set on failure
};

constexpr size_t kMaxExprLength = 4096;
constexpr int kMaxExprDepth = 64;

CompileResult compileExpr(std::string_view text);

// The error record of a compile error (EG_SYNTAX, subsystem "EXPR"), naming the position.
ErrorRecord exprErrorRecord(const ExprError& e, std::string_view text);
