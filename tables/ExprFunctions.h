#pragma once
// The function library of the expression language: one table row per function, with its
// argument counts (checked when compiling), what it reads (for ExprDeps) and its code.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Expr.h"

class ExprNode;

// What a function reads besides its arguments.
enum class FnDep : unsigned char { None, Deleted, RecNo, Other };

constexpr size_t kMaxFnArgs = 3;
// Longest text a function or operator may build; longer raises EG_STROVERFLOW.
constexpr size_t kMaxExprText = size_t(4) << 20;

struct ExprFunction;

// The evaluated arguments of a call, with typed accessors that raise the function's
// argument error (EG_ARG, 1099) on a wrong type.
class FnArgs {
  public:
    FnArgs(const ExprFunction& fn, std::span<Value> args, ExprHost& host)
        : fn_(fn), args_(args), host_(host) {}
    size_t size() const { return args_.size(); }
    // Present and not NIL.
    bool given(size_t i) const { return i < args_.size() && !args_[i].isNil(); }
    Value& operator[](size_t i) { return args_[i]; }
    ExprHost& host() { return host_; }

    std::string& text(size_t i);  // may be moved from
    double num(size_t i);
    // A number as a count, clamped to +-1e15 so that it converts safely; NaN gives 0.
    int64_t count(size_t i);
    Date date(size_t i);
    // Raises the argument error of the function.
    [[noreturn]] void fail() const;
    // Raises EG_STROVERFLOW when a result of `bytes` would exceed kMaxExprText.
    void checkSize(uint64_t bytes) const;

  private:
    const ExprFunction& fn_;
    std::span<Value> args_;
    ExprHost& host_;
};

using EagerFn = Value (*)(FnArgs& args);
// Receives the call node itself and evaluates only the arguments it needs.
using LazyFn = Value (*)(const ExprNode& call, ExprHost& host);

// One row of the function library.
struct ExprFunction {
    std::string_view name;  // upper case
    unsigned char minArgs;
    unsigned char maxArgs;
    EagerFn eager;  // exactly one of eager and lazy is set
    LazyFn lazy;
    FnDep dep;
};

// The row of a function, by name in any case; nullptr when unknown.
const ExprFunction* findExprFunction(std::string_view name);
std::span<const ExprFunction> exprFunctions();

// Raises an evaluation error of subsystem "BASE" and unwinds with ErrorException.
[[noreturn]] void raiseExprError(int genCode, int subCode, std::string_view operation);

// Number with `decimals` decimals (ties rounded away from zero), right-aligned in `width`
// characters, or a row of '*' when it does not fit; width 0 means as long as needed.
std::string formatExprNumber(double n, int width, int decimals);

// Text access that allows moving a string out of a Value: `v` must be a non-const text value.
std::string& mutableText(Value& v);
