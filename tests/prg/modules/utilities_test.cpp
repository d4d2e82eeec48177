// Dates as text, default extensions and the list maximum.
#include <gtest/gtest.h>

#include "aMax.h"
#include "dtot.h"
#include "extDefau.h"

namespace {

TEST(Dtot, EveryPlaceholderAndTheEmptyDate) {
    const Date monday = Date::fromYmd(2007, 3, 5);
    struct Row {
        Value date;
        Value pattern;
        const char* expected;
    };
    const Row rows[] = {
        {Value(Date::fromYmd(2011, 11, 18)), Value(), "18 de november de 2011"},
        {Value(Date()), Value(), "   de  de     "},
        {Value("20111118"), Value(), "   de  de     "},  // not a date: the empty date
        {Value(Date::fromYmd(2011, 11, 18)), Value("dd de mmmm de yyyy "),
         "18 de november de 2011 "},
        {Value(Date::fromYmd(2011, 11, 18)), Value(7),
         "18 de november de 2011"},  // not a text pattern
        {Value(monday), Value("dddd|Dddd|DDDD"), "Monday|Monday|MONDAY"},
        {Value(monday), Value("ddd|Ddd|DDD"), "Mon|Mon|MON"},
        {Value(monday), Value("dd|DD|0d|0D"), "5|5|05|05"},
        {Value(monday), Value("mmmm|Mmmm|MMMM"), "march|March|MARCH"},
        {Value(monday), Value("mmm|Mmm|MMM"), "mar|Mar|MAR"},
        {Value(monday), Value("mm|MM|0m|0M"), "3|3|03|03"},
        {Value(monday), Value("yyyy|YYYY|yy|YY"), "2007|2007|07|07"},
        {Value(Date()), Value("0d/0m/yy dddd"), "  /  /   "},
        // Steps run in order over the whole text: "dddd" first, so "ddddd" leaves one d,
        // which no later step replaces.
        {Value(monday), Value("ddddd"), "Mondayd"},
        // Case matters: "Dd" is no placeholder.
        {Value(monday), Value("Dd"), "Dd"},
    };
    for (const Row& r : rows) EXPECT_EQ(DTOT(r.date, r.pattern), r.expected) << r.pattern.toText();
}

TEST(ExtDefault, AppendsOnlyWhenThereIsNoExtension) {
    struct Row {
        Value file, ext;
        const char* expected;
    };
    const Row rows[] = {
        {Value("votos"), Value("dbf"), "votos.dbf"},
        {Value("votos"), Value(".dbf"), "votos.dbf"},
        {Value("votos."), Value("dbf"), "votos."},
        {Value("  votos.txt  "), Value(".dbf"), "votos.txt"},
        {Value("votos"), Value("  cdx "), "votos.cdx"},
        {Value("votos"), Value(), "votos."},
        {Value(3), Value("dbf"), ".dbf"},
        {Value("datos.v1/votos"), Value("dbf"),
         "datos.v1/votos.dbf"},  // a dot in a folder is no extension
        {Value("datos/votos.dbf"), Value("cdx"), "datos/votos.dbf"},
    };
    for (const Row& r : rows) EXPECT_EQ(EXTDEFAULT(r.file, r.ext), r.expected) << r.file.toText();
}

Value list(std::initializer_list<Value> items) {
    return Value(Array(items));
}

TEST(AMax, TypesWindowsAndProjections) {
    Value length =
        Value(Callable([](const std::vector<Value>& a) { return Value(int(a[0].text().size())); }));
    Value negate = Value(Callable([](const std::vector<Value>& a) { return Value(-a[0].num()); }));
    struct Row {
        const char* name;
        Value list, start, count, valueOf, types;
        Value expected;
    };
    const Row rows[] = {
        {"numbers around a text", list({3, "x", 7}), {}, {}, {}, {}, Value(7)},
        {"text first", list({"x", 3, 7}), {}, {}, {}, {}, Value("x")},
        {"empty list", list({}), {}, {}, {}, {}, Value()},
        {"not a list", Value(5), {}, {}, {}, {}, Value()},
        {"start past the end", list({1, 2}), Value(3), {}, {}, {}, Value()},
        {"from start", list({9, 1, 4}), Value(2), {}, {}, {}, Value(4)},
        {"count limits", list({1, 5, 9}), Value(1), Value(2), {}, {}, Value(5)},
        // Leading non-matching elements shift the window: three elements from the 7.
        {"window shifts", list({"a", 7, 2, 8}), Value(1), Value(3), {}, Value("N"), Value(8)},
        {"count zero", list({1, 2}), Value(1), Value(0), {}, {}, Value()},
        {"no match in the scan", list({"a", "b", 7}), Value(1), Value(2), {}, Value("N"), Value()},
        {"projection", list({"ab", "abcd", "a"}), {}, {}, length, {}, Value(4)},
        {"projection keeps the value", list({3, 1, 2}), {}, {}, negate, {}, Value(-1)},
        {"several types",
         list({"zz", 3, Date::fromYmd(2011, 1, 1), 9}),
         {},
         {},
         {},
         Value("N"),
         Value(9)},
        {"dates",
         list({Date::fromYmd(2011, 1, 1), Date::fromYmd(2012, 1, 1)}),
         {},
         {},
         {},
         {},
         Value(Date::fromYmd(2012, 1, 1))},
        {"logicals", list({false, true, false}), {}, {}, {}, {}, Value(true)},
    };
    for (const Row& r : rows) {
        Value got = AMAX(r.list, r.start, r.count, r.valueOf, r.types);
        EXPECT_EQ(got.type(), r.expected.type()) << r.name;
        EXPECT_TRUE(got == r.expected) << r.name << ": " << got.toText();
    }
}

}  // namespace
