#pragma once
// Result of an operation inside the storage code: ok, or a kind and a message.
// The table layer turns a failed status into an error record at its boundary.
#include <string>
#include <utility>

class [[nodiscard]] Status {
public:
    enum class Code { Ok, NotFound, Corruption, InvalidArgument, IOError, NotSupported };

    Status() = default;
    static Status OK() { return Status(); }
    static Status NotFound(std::string m) { return Status(Code::NotFound, std::move(m)); }
    static Status Corruption(std::string m) { return Status(Code::Corruption, std::move(m)); }
    static Status InvalidArgument(std::string m) { return Status(Code::InvalidArgument, std::move(m)); }
    static Status IOError(std::string m) { return Status(Code::IOError, std::move(m)); }
    static Status NotSupported(std::string m) { return Status(Code::NotSupported, std::move(m)); }

    bool ok() const { return code_ == Code::Ok; }
    Code code() const { return code_; }
    const std::string& message() const { return message_; }
    std::string toString() const;

private:
    Status(Code c, std::string m) : code_(c), message_(std::move(m)) {}
    Code code_ = Code::Ok;
    std::string message_;
};

// Returns from the enclosing function when `expr` yields a failed Status.
#define RETURN_IF_ERROR(expr)    \
    do {                         \
        Status s_ = (expr);      \
        if (!s_.ok()) return s_; \
    } while (0)
