#include "aMax.h"

#include <string>

bool valueGreater(const Value& a, const Value& b) {
    if (a.isText() && b.isText()) return a.text() > b.text();
    if (a.type() != b.type()) return false;
    switch (a.type()) {
        case 'N':
            return a.num() > b.num();
        case 'D':
            return a.date() > b.date();
        case 'L':
            return a.logical() && !b.logical();
        default:
            return false;
    }
}

Value AMAX(const Value& list, const Value& start, const Value& count, const Value& valueOf,
           const Value& types) {
    if (!list.isArray() || list.array()->empty()) return Value();
    const Array& items = *list.array();
    const size_t size = items.size();
    size_t first = start.isNumber() && start.num() >= 1 ? size_t(start.num()) - 1 : 0;
    if (first >= size) return Value();
    std::string wanted = types.isText() ? types.text() : std::string(1, items[first].type());
    auto matches = [&](const Value& v) { return wanted.find(v.type()) != std::string::npos; };
    auto compute = [&](const Value& v) { return valueOf.isBlock() ? valueOf.call({v}) : v; };
    size_t window = count.isNumber() ? size_t(std::max(count.num(), 0.0)) : size - first;

    size_t scanEnd = std::min(size, first + window);
    while (first < scanEnd && !matches(items[first])) ++first;
    if (first >= scanEnd) return Value();

    Value best = compute(items[first]);
    size_t end = count.isNumber() ? std::min(size, first + window) : size;
    for (size_t i = first + 1; i < end; ++i) {
        if (!matches(items[i])) continue;
        Value v = compute(items[i]);
        if (valueGreater(v, best)) best = std::move(v);
    }
    return best;
}
