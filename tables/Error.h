#pragma once
// The system's error record, its replaceable handler, and the exception that unwinds
// an error to the caller's recovery point.
#include <exception>
#include <functional>
#include <string>

// Generic error codes.
enum ErrorGen : int {
    EG_ARG = 1,
    EG_BOUND = 2,
    EG_STROVERFLOW = 3,
    EG_NUMOVERFLOW = 4,
    EG_ZERODIV = 5,
    EG_NUMERR = 6,
    EG_SYNTAX = 7,
    EG_COMPLEXITY = 8,
    EG_NOFUNC = 12,
    EG_NOVAR = 14,
    EG_NOALIAS = 15,
    EG_DUPALIAS = 18,
    EG_CREATE = 20,
    EG_OPEN = 21,
    EG_CLOSE = 22,
    EG_READ = 23,
    EG_WRITE = 24,
    EG_UNSUPPORTED = 30,
    EG_LIMIT = 31,
    EG_CORRUPTION = 32,
    EG_DATATYPE = 33,
    EG_DATAWIDTH = 34,
    EG_NOTABLE = 35,
    EG_NOORDER = 36,
    EG_SHARED = 37,
    EG_UNLOCKED = 38,
    EG_READONLY = 39,
    EG_APPENDLOCK = 40,
    EG_LOCK = 41,
};

// Standard description of a generic code ("Open error" for EG_OPEN ...), "" when none.
std::string errorDescription(int genCode);

struct ErrorRecord {
    int genCode = 0;
    int subCode = 0;
    std::string subsystem;  // "BASE", "ARRAYRDD", "DBFCDX", "EXPR" ...
    std::string description;
    std::string operation;
    std::string fileName;
    int osCode = 0;
    bool canDefault = false;
    bool canRetry = false;
    bool canSubstitute = false;
    int tries = 0;
};

// A record with the standard description of `genCode`.
ErrorRecord makeError(int genCode, int subCode, std::string subsystem, std::string operation = "");

// What the handler decided. Default: the operation reports failure (or goes on with its
// default); Retry: the operation tries again (only when canRetry).
enum class ErrorAction { Default, Retry };

using ErrorHandler = std::function<ErrorAction(const ErrorRecord&)>;

// Installs `h` and returns the previous handler. An empty handler restores the built-in
// one, which writes the record to standard error and answers Default.
ErrorHandler setErrorHandler(ErrorHandler h);
// Hands the record to the current handler and returns its decision.
ErrorAction raiseError(const ErrorRecord& r);
// Builds a driver's error record and hands it to the handler.
ErrorAction raiseDriverError(const char* subsystem, int genCode, int subCode, std::string description,
                             std::string fileName, bool canDefault, bool canRetry);


// Carries an error record to the caller's recovery point.
class ErrorException : public std::exception {
public:
    explicit ErrorException(ErrorRecord r);
    const char* what() const noexcept override { return what_.c_str(); }
    const ErrorRecord& record() const { return record_; }

private:
    ErrorRecord record_;
    std::string what_;
};

// Hands the record to the handler, then unwinds with it.
[[noreturn]] void throwError(const ErrorRecord& r);

// One-line text of a record: "ARRAYRDD/1000  Open error, memory file not found: votos".
std::string errorText(const ErrorRecord& r);

// Installs a handler for the lifetime of the guard and restores the previous one.
class ScopedErrorHandler {
public:
    explicit ScopedErrorHandler(ErrorHandler h) : previous_(setErrorHandler(std::move(h))) {}
    ~ScopedErrorHandler() { setErrorHandler(std::move(previous_)); }
    ScopedErrorHandler(const ScopedErrorHandler&) = delete;
    ScopedErrorHandler& operator=(const ScopedErrorHandler&) = delete;

private:
    ErrorHandler previous_;
};
