#include <gtest/gtest.h>

#include "Date.h"
#include "Text.h"
#include "Value.h"

TEST(Date, RoundTripsAndRejectsImpossibleDates) {
    struct Row {
        const char* dtos;
        bool valid;
        int dow;
    } rows[] = {{"20261207", true, 2}, {"20000229", true, 3}, {"19000229", false, 0},
                {"20261301", false, 0}, {"        ", false, 0}, {"00010101", true, 2},
                {"99991231", true, 6},   {"2026120", false, 0},  {"2026-1-1", false, 0}};
    for (const auto& r : rows) {
        Date d = Date::fromDtos(r.dtos);
        EXPECT_EQ(!d.empty(), r.valid) << r.dtos;
        if (r.valid) {
            EXPECT_EQ(d.dtos(), r.dtos);
            EXPECT_EQ(d.dow(), r.dow) << r.dtos;
        }
    }
    EXPECT_EQ(Date().dtos(), "        ");
    EXPECT_EQ(Date::fromDtos("20261231").plusDays(1).dtos(), "20270101");
    EXPECT_LT(Date::fromDtos("20261231"), Date::fromDtos("20270101"));
}

TEST(Value, TypesEmptyValuesAndExactEquality) {
    EXPECT_EQ(Value().type(), 'U');
    EXPECT_EQ(Value("x").type(), 'C');
    EXPECT_EQ(Value::memo("x").type(), 'M');
    EXPECT_EQ(Value(3).type(), 'N');
    EXPECT_EQ(Value(Date()).type(), 'D');
    EXPECT_EQ(Value(true).type(), 'L');
    EXPECT_EQ(Value(Array{}).type(), 'A');
    EXPECT_EQ(Value::hash().type(), 'H');
    EXPECT_EQ(Value(Callable([](const std::vector<Value>&) { return Value(1); })).type(), 'B');

    EXPECT_EQ(Value::emptyOf('C', 3).text(), "   ");
    EXPECT_EQ(Value::emptyOf('M', 2).type(), 'M');
    EXPECT_TRUE(Value::emptyOf('D', 8).date().empty());
    EXPECT_FALSE(Value::emptyOf('L', 1).logical());
    EXPECT_EQ(Value::emptyOf('N', 4).num(), 0);
    EXPECT_TRUE(Value::emptyOf('X', 4).isNil());

    EXPECT_TRUE(Value("ab") == Value::memo("ab"));  // text compares by content
    EXPECT_FALSE(Value("ab") == Value("ab "));
    EXPECT_FALSE(Value(1) == Value(true));
    Value a(Array{Value(1)});
    Value b = a;
    b.array()->push_back(Value(2));
    EXPECT_EQ(a.array()->size(), 2u);  // arrays are shared by reference
    EXPECT_FALSE(a == Value(Array{Value(1), Value(2)}));
}

TEST(Value, EmptinessAndTextForm) {
    EXPECT_TRUE(Value("   ").isEmptyValue());
    EXPECT_FALSE(Value(" a").isEmptyValue());
    EXPECT_TRUE(Value(0).isEmptyValue());
    EXPECT_EQ(Value(12).toText(), "12");
    EXPECT_EQ(Value(-2.5).toText(), "-2.5");
    EXPECT_EQ(Value::number(3, 6, 2).toText(), "3.00");
    EXPECT_EQ(Value(true).toText(), ".T.");
    EXPECT_EQ(Value().toText(), "NIL");
}

TEST(Text, CountsCharactersNotBytes) {
    EXPECT_EQ(text::length("Español"), 7u);
    EXPECT_EQ(text::fit("Español", 9), "Español  ");
    EXPECT_EQ(text::fit("Convergència i Unió", 10), "Convergènc");
    EXPECT_EQ(text::left("Cántabru", 2), "Cá");
    EXPECT_EQ(text::right("Cántabru", 3), "bru");
    EXPECT_EQ(text::sub("Cántabru", 1, 3), "ánt");
    EXPECT_EQ(text::upper("coalición"), "COALICIÓN");
    EXPECT_EQ(text::lower("ÑANDÚ"), "ñandú");
    EXPECT_EQ(text::formatNumber(12.345, 7, 2), "  12.35");
    EXPECT_EQ(text::formatNumber(12345, 4, 0), "****");
    EXPECT_EQ(text::formatNumber(-0.001, 5, 2), " 0.00");
}
