#include "Error.h"

#include <cstdio>

namespace {
ErrorAction builtinHandler(const ErrorRecord& r) {
    std::fprintf(stderr, "Error %s\n", errorText(r).c_str());
    return ErrorAction::Default;
}
ErrorHandler& currentHandler() {
    static ErrorHandler handler = builtinHandler;
    return handler;
}
}  // namespace

std::string errorDescription(int genCode) {
    switch (genCode) {
        case EG_ARG: return "Argument error";
        case EG_BOUND: return "Bound error";
        case EG_STROVERFLOW: return "String overflow";
        case EG_NUMOVERFLOW: return "Numeric overflow";
        case EG_ZERODIV: return "Zero divisor";
        case EG_NUMERR: return "Numeric error";
        case EG_SYNTAX: return "Syntax error";
        case EG_COMPLEXITY: return "Operation too complex";
        case EG_NOFUNC: return "Undefined function";
        case EG_NOVAR: return "Variable does not exist";
        case EG_NOALIAS: return "Alias does not exist";
        case EG_DUPALIAS: return "Alias already in use";
        case EG_CREATE: return "Create error";
        case EG_OPEN: return "Open error";
        case EG_CLOSE: return "Close error";
        case EG_READ: return "Read error";
        case EG_WRITE: return "Write error";
        case EG_UNSUPPORTED: return "Operation not supported";
        case EG_LIMIT: return "Limit exceeded";
        case EG_CORRUPTION: return "Corruption detected";
        case EG_DATATYPE: return "Data type error";
        case EG_DATAWIDTH: return "Data width error";
        case EG_NOTABLE: return "Workarea not in use";
        case EG_NOORDER: return "Workarea not indexed";
        case EG_SHARED: return "Exclusive required";
        case EG_UNLOCKED: return "Lock required";
        case EG_READONLY: return "Write not allowed";
        case EG_APPENDLOCK: return "Append lock failed";
        case EG_LOCK: return "Lock failure";
        default: return "";
    }
}

ErrorRecord makeError(int genCode, int subCode, std::string subsystem, std::string operation) {
    ErrorRecord r;
    r.genCode = genCode;
    r.subCode = subCode;
    r.subsystem = std::move(subsystem);
    r.description = errorDescription(genCode);
    r.operation = std::move(operation);
    return r;
}

ErrorAction raiseDriverError(const char* subsystem, int genCode, int subCode, std::string description,
                             std::string fileName, bool canDefault, bool canRetry) {
    ErrorRecord r = makeError(genCode, subCode, subsystem);
    r.description = std::move(description);
    r.fileName = std::move(fileName);
    r.canDefault = canDefault;
    r.canRetry = canRetry;
    return raiseError(r);
}

ErrorHandler setErrorHandler(ErrorHandler h) {
    ErrorHandler previous = std::move(currentHandler());
    currentHandler() = h ? std::move(h) : ErrorHandler(builtinHandler);
    return previous;
}

ErrorAction raiseError(const ErrorRecord& r) {
    // Copy: the handler may replace itself while it runs.
    ErrorHandler h = currentHandler();
    return h(r);
}

ErrorException::ErrorException(ErrorRecord r) : record_(std::move(r)), what_(errorText(record_)) {}

void throwError(const ErrorRecord& r) {
    raiseError(r);
    throw ErrorException(r);
}

std::string errorText(const ErrorRecord& r) {
    std::string s = r.subsystem + "/" + std::to_string(r.subCode) + "  " + r.description;
    if (!r.operation.empty()) s += ": " + r.operation;
    if (!r.fileName.empty()) s += " (" + r.fileName + ")";
    return s;
}
