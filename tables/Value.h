#pragma once
// The dynamically typed value carried by table fields, index keys, record buffers,
// browse cells and message boxes.
//
// Text is UTF-8. Field lengths, padding and the text functions count characters
// (code points), so a "C" field of length 6 holds six characters whatever their bytes.
// Arrays, hashes, callables and objects are shared by reference, as the language does.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "Date.h"

class Value;
using Array = std::vector<Value>;
using ArrayRef = std::shared_ptr<Array>;
using Callable = std::function<Value(const std::vector<Value>& args)>;

// Insertion-ordered map; keys compare exactly.
class Hash {
public:
    Value* find(const Value& key);
    const Value* find(const Value& key) const;
    void set(const Value& key, Value value);
    bool erase(const Value& key);
    size_t size() const;
    const std::vector<std::pair<Value, Value>>& items() const { return items_; }

private:
    std::vector<std::pair<Value, Value>> items_;
};
using HashRef = std::shared_ptr<Hash>;

// Base of the application objects that a value can carry.
class Object {
public:
    virtual ~Object() = default;
    virtual std::string className() const = 0;
    // Data members by name, in declaration order, for generic displays.
    virtual std::vector<std::pair<std::string, Value>> members() const;
};
using ObjectRef = std::shared_ptr<Object>;

class Value {
public:
    struct Number {
        double value = 0;
        int16_t width = -1;     // display width when known (a field's length), else -1
        int16_t decimals = -1;  // display decimals when known, else -1
        bool operator==(const Number& o) const { return value == o.value; }
    };
    struct Memo {
        std::string text;
        bool operator==(const Memo&) const = default;
    };
    struct Pointer {
        void* p = nullptr;
        bool operator==(const Pointer&) const = default;
    };

    Value() = default;
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(double n) : v_(Number{n}) {}
    Value(int n) : v_(Number{double(n)}) {}
    Value(long n) : v_(Number{double(n)}) {}
    Value(long long n) : v_(Number{double(n)}) {}
    Value(bool b) : v_(b) {}
    Value(Date d) : v_(d) {}
    Value(Array a) : v_(std::make_shared<Array>(std::move(a))) {}
    Value(ArrayRef a) : v_(std::move(a)) {}
    Value(HashRef h) : v_(std::move(h)) {}
    Value(ObjectRef o) : v_(std::move(o)) {}
    Value(Callable c) : v_(std::make_shared<Callable>(std::move(c))) {}

    static Value number(double n, int width, int decimals);
    static Value memo(std::string text) { Value v; v.v_ = Memo{std::move(text)}; return v; }
    static Value pointer(void* p) { Value v; v.v_ = Pointer{p}; return v; }
    static Value hash() { return Value(std::make_shared<Hash>()); }
    // The empty value of a field type: blanks of `length` for C and M, the empty date,
    // false, 0; NIL for any other letter.
    static Value emptyOf(char type, int length);

    // Type letter: C M N D L A H B O P, U for NIL.
    char type() const { return "UCMNDLAHBOP"[v_.index()]; }
    bool isNil() const { return v_.index() == 0; }
    bool isText() const { return v_.index() == 1 || v_.index() == 2; }  // C or M
    bool isNumber() const { return std::holds_alternative<Number>(v_); }
    bool isDate() const { return std::holds_alternative<Date>(v_); }
    bool isLogical() const { return std::holds_alternative<bool>(v_); }
    bool isArray() const { return std::holds_alternative<ArrayRef>(v_); }
    bool isHash() const { return std::holds_alternative<HashRef>(v_); }
    bool isBlock() const { return std::holds_alternative<std::shared_ptr<Callable>>(v_); }
    bool isObject() const { return std::holds_alternative<ObjectRef>(v_); }

    // Accessors give the type's empty value when the value is of another type.
    const std::string& text() const {
        if (auto s = std::get_if<std::string>(&v_)) return *s;
        return memoOrNone();
    }
    double num() const {
        auto n = std::get_if<Number>(&v_);
        return n ? n->value : 0;
    }
    int numWidth() const;
    int numDecimals() const;
    Date date() const;
    bool logical() const;
    const ArrayRef& array() const;
    const HashRef& hashRef() const;
    const ObjectRef& object() const;
    void* ptr() const;
    // Calls a callable value; NIL for any other value.
    Value call(const std::vector<Value>& args = {}) const;

    // The language's empty(): NIL, blank text, 0, empty date, false, empty array or hash.
    bool isEmptyValue() const;
    // Plain text form: text as is, numbers without useless decimals, dates as YYYYMMDD,
    // logicals as .T./.F., NIL as "NIL", containers by kind.
    std::string toText() const;

    // Exact equality: same type and same value (text compared in full, containers by identity).
    bool operator==(const Value& o) const;

private:
    const std::string& memoOrNone() const;

    std::variant<std::monostate, std::string, Memo, Number, Date, bool, ArrayRef, HashRef,
                 std::shared_ptr<Callable>, ObjectRef, Pointer>
        v_;
};
