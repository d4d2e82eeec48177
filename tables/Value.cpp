#include "Value.h"

#include <cmath>

#include "Text.h"

std::vector<std::pair<std::string, Value>> Object::members() const { return {}; }

size_t Hash::size() const { return items_.size(); }

Value* Hash::find(const Value& key) {
    for (auto& [k, v] : items_)
        if (k == key) return &v;
    return nullptr;
}
const Value* Hash::find(const Value& key) const { return const_cast<Hash*>(this)->find(key); }
void Hash::set(const Value& key, Value value) {
    if (Value* v = find(key))
        *v = std::move(value);
    else
        items_.emplace_back(key, std::move(value));
}
bool Hash::erase(const Value& key) {
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (it->first == key) {
            items_.erase(it);
            return true;
        }
    return false;
}

Value Value::number(double n, int width, int decimals) {
    Value v;
    v.v_ = Number{n, int16_t(width), int16_t(decimals)};
    return v;
}

Value Value::emptyOf(char type, int length) {
    switch (type) {
        case 'C': return Value(std::string(size_t(std::max(length, 0)), ' '));
        case 'M': return memo(std::string(size_t(std::max(length, 0)), ' '));
        case 'D': return Value(Date());
        case 'L': return Value(false);
        case 'N': return Value(0);
        default: return Value();
    }
}

const std::string& Value::memoOrNone() const {
    static const std::string none;
    if (auto m = std::get_if<Memo>(&v_)) return m->text;
    return none;
}
int Value::numWidth() const {
    auto n = std::get_if<Number>(&v_);
    return n ? n->width : -1;
}
int Value::numDecimals() const {
    auto n = std::get_if<Number>(&v_);
    return n ? n->decimals : -1;
}
Date Value::date() const {
    auto d = std::get_if<Date>(&v_);
    return d ? *d : Date();
}
bool Value::logical() const {
    auto b = std::get_if<bool>(&v_);
    return b && *b;
}
const ArrayRef& Value::array() const {
    static const ArrayRef none;
    auto a = std::get_if<ArrayRef>(&v_);
    return a ? *a : none;
}
const HashRef& Value::hashRef() const {
    static const HashRef none;
    auto h = std::get_if<HashRef>(&v_);
    return h ? *h : none;
}
const ObjectRef& Value::object() const {
    static const ObjectRef none;
    auto o = std::get_if<ObjectRef>(&v_);
    return o ? *o : none;
}
void* Value::ptr() const {
    auto p = std::get_if<Pointer>(&v_);
    return p ? p->p : nullptr;
}
Value Value::call(const std::vector<Value>& args) const {
    auto c = std::get_if<std::shared_ptr<Callable>>(&v_);
    if (!c || !*c || !**c) return Value();
    return (**c)(args);
}

bool Value::isEmptyValue() const {
    switch (type()) {
        case 'U': return true;
        case 'C':
        case 'M': return text().find_first_not_of(" \t\r\n") == std::string::npos;
        case 'N': return num() == 0;
        case 'D': return date().empty();
        case 'L': return !logical();
        case 'A': return !array() || array()->empty();
        case 'H': return !hashRef() || hashRef()->size() == 0;
        case 'P': return ptr() == nullptr;
        default: return false;
    }
}

std::string Value::toText() const {
    switch (type()) {
        case 'C':
        case 'M': return text();
        case 'N': {
            int dec = numDecimals();
            double n = num();
            if (dec < 0) {
                if (std::nearbyint(n) == n && std::fabs(n) < 1e15) dec = 0;
                else {
                    std::string s = text::formatNumber(n, 40, 10);
                    s = text::ltrim(s);
                    while (!s.empty() && s.back() == '0') s.pop_back();
                    return s;
                }
            }
            return text::ltrim(text::formatNumber(n, 40, dec));
        }
        case 'D': return date().dtos();
        case 'L': return logical() ? ".T." : ".F.";
        case 'U': return "NIL";
        case 'A': return "{ Array }";
        case 'H': return "{ Hash }";
        case 'B': return "{ Block }";
        case 'O': return object() ? object()->className() : "{ Object }";
        default: return "{ Pointer }";
    }
}

bool Value::operator==(const Value& o) const {
    if (isText() && o.isText()) return text() == o.text();
    if (type() != o.type()) return false;
    return v_ == o.v_;
}
