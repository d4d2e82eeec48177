// The entry field's picture rules, without windows.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "getMask.h"

namespace {

struct FormatRow {
    const char* picture;
    double value;
    const char* shown;
};

TEST(GetMask, NumbersAreShownThroughTheirPicture) {
    const FormatRow rows[] = {
        {"9999", 42, "  42"},
        {"99", 7, " 7"},
        {"99.99", 3.14159, " 3.14"},
        {"99.99", 0.5, " 0.50"},
        {"9,999,999.99", 1234567.891, "1,234,567.89"},
        {"9,999,999.99", 1234.5, "    1,234.50"},
        {"9,999,999.99", -12, "      -12.00"},
        {"@ZE 9999,999.99", 1234567.5, "1234.567,50"},
        {"@ZE 9999,999.99", 987.25, "     987,25"},
        {"@ZE 9999,999.99", 0, "           "},
        {"@E 9,999.99", 1234.5, "1.234,50"},
        {"9999", 123456, "****"},  // too wide: stars, never a cut number
        {"99", -5, "-5"},
        {"9", -5, "*"},  // no room for the sign
    };
    for (const auto& r : rows)
        EXPECT_EQ(formatNumber(r.value, GetPicture::parse(r.picture)), r.shown) << r.picture << " " << r.value;
}

struct TypeRow {
    const char* picture;
    Value start;
    const char* keys;
    bool insert;
    const char* shown;
    Value value;
};

std::string typeAll(EditBuffer& b, const char* keys) {
    std::string refused;
    for (char32_t c : toU32(keys))
        if (!b.type(c)) refused += toUtf8(std::u32string(1, c));
    return refused;
}

// The sign sits right before the first digit, wherever that falls, and reads back.
TEST(GetMask, TheSignStandsRightBeforeTheFirstDigit) {
    const FormatRow rows[] = {
        {"999,999.99", -123.45, "   -123.45"},
        {"@ZE 9999,999.99", -123.45, "    -123,45"},
        {"9,999,999.99", -123456.78, " -123,456.78"},
        {"9,999,999.99", -1234.5, "   -1,234.50"},
        {"99,999", -1000, "-1,000"},
        {"999.99", -0.5, " -0.50"},
        {"$999", -12, "$-12"},
        {"99,999", -10000, "******"},  // no room left for the sign
        {"$999", -123, "****"},
    };
    for (const auto& r : rows) {
        GetPicture pic = GetPicture::parse(r.picture);
        EXPECT_EQ(formatNumber(r.value, pic), r.shown) << r.picture << " " << r.value;
        EditBuffer b(pic, Value(r.value));
        EXPECT_EQ(b.text(), r.shown) << r.picture;
        if (!b.overflow()) EXPECT_DOUBLE_EQ(b.value().num(), r.value) << r.picture;
    }
}

// A number the template cannot show, or one given without a layout, is shown but not
// taken for another value until something is typed.
TEST(GetMask, StarsAndUnlaidNumbersStandForWhatWasGiven) {
    EditBuffer stars(GetPicture::parse("9999"), Value(-12345));
    EXPECT_EQ(stars.text(), "****");
    EXPECT_TRUE(stars.overflow());
    EXPECT_FALSE(stars.changed());
    typeAll(stars, "12");
    EXPECT_FALSE(stars.overflow());
    EXPECT_EQ(stars.value().num(), 12);

    struct Row {
        Value value;
        const char* shown;
    };
    const Row rows[] = {
        {Value(5.5), "       5.5"},
        {Value(-0.125), "    -0.125"},
        {Value(42), "        42"},
        {Value(1e12), " 1000000000000"},
        {Value::number(5.5, 6, 0), "     6"},  // a layout of its own is kept
    };
    for (const Row& r : rows) EXPECT_EQ(EditBuffer(GetPicture::parse(""), r.value).text(), r.shown);
}

TEST(GetMask, TypingFollowsTheTemplate) {
    const TypeRow rows[] = {
        {"!9", Value("  "), "a1", true, "A1", Value("A1")},
        {"!9", Value("  "), "ab2", true, "A2", Value("A2")},
        {"!9", Value("  "), "a12", false, "A1", Value("A1")},
        {"!9", Value("  "), "ñ5", true, "Ñ5", Value("Ñ5")},
        {"@!", Value("     "), "abc", true, "ABC  ", Value("ABC  ")},
        {"@X", Value("    "), "a-1?", false, "a-1?", Value("a-1?")},
        {"AN", Value("  "), "1x7", false, "x7", Value("x7")},
        {"99/99", Value("     "), "1234", false, "12/34", Value("12/34")},
        {"", Value(""), "libre", true, "libre", Value("libre")},
        {"9999", Value(0), "2024", true, "2024", Value::number(2024, 4, 0)},
        {"9999", Value(1999), "7", true, "7   ", Value::number(7, 4, 0)},
        {"99", Value(0), "1a", true, "1 ", Value::number(1, 2, 0)},
        {"99.99", Value(0), "3.5", true, " 3.5 ", Value::number(3.5, 5, 2)},
        {"9,999,999.99", Value(0), "1234567.25", false, "1,234,567.25", Value::number(1234567.25, 12, 2)},
        {"@ZE 9999,999.99", Value(0), "12,5", true, "      12,5 ", Value::number(12.5, 11, 2)},
        {"@ZE 9999,999.99", Value(0), "-3", true, "-3  .   ,  ", Value::number(-3, 11, 2)},
    };
    for (const auto& r : rows) {
        EditBuffer b(GetPicture::parse(r.picture), r.start);
        b.insertMode = r.insert;
        typeAll(b, r.keys);
        EXPECT_EQ(b.text(), r.shown) << r.picture << " <- " << r.keys;
        EXPECT_EQ(b.value().toText(), r.value.toText()) << r.picture << " <- " << r.keys;
        EXPECT_EQ(b.value().type(), r.value.type()) << r.picture;
    }
}

TEST(GetMask, AnUpperCaseLetterAndADigitAndNothingElse) {
    EditBuffer b(GetPicture::parse("!9"), Value("  "));
    EXPECT_EQ(typeAll(b, "x?9z3"), "?z3");  // the '9' slot refuses letters; nothing fits after it
    EXPECT_EQ(b.text(), "X9");
    EXPECT_EQ(b.caret(), 2);
}

TEST(GetMask, InsertShiftsAndNeverDropsTyping) {
    EditBuffer b(GetPicture::parse("XXXX"), Value("abc "));
    b.home();
    EXPECT_TRUE(b.type(U'z'));
    EXPECT_EQ(b.text(), "zabc");
    b.home();
    EXPECT_FALSE(b.type(U'y'));  // full: the last character would be lost
    EXPECT_EQ(b.text(), "zabc");
    b.insertMode = false;
    EXPECT_TRUE(b.type(U'y'));
    EXPECT_EQ(b.text(), "yabc");
}

TEST(GetMask, InsertRefusedWhenAShiftedCharacterBreaksTheTemplate) {
    EditBuffer b(GetPicture::parse("!9"), Value("A "));
    b.home();
    EXPECT_FALSE(b.type(U'b'));  // the 'A' would move into the digit slot
    EXPECT_EQ(b.text(), "A ");
    b.insertMode = false;
    EXPECT_TRUE(b.type(U'b'));
    EXPECT_EQ(b.text(), "B ");
}

TEST(GetMask, DeletingPullsTheRestAndSkipsLiterals) {
    EditBuffer b(GetPicture::parse("99-99"), Value("12-34"));
    b.home();
    b.del();
    EXPECT_EQ(b.text(), "23-4 ");
    b.end();
    b.backspace();
    EXPECT_EQ(b.text(), "23-  ");
    b.left();
    EXPECT_EQ(b.caret(), 1);
    b.right();
    EXPECT_EQ(b.caret(), 3);  // the '-' is skipped
}

TEST(GetMask, FreeTextGrowsAndShrinks) {
    EditBuffer b(GetPicture::parse("@!"), Value(""));
    typeAll(b, "ab");
    b.home();
    b.type(U'c');
    EXPECT_EQ(b.text(), "CAB");
    b.del();
    EXPECT_EQ(b.text(), "CB");
}

TEST(GetMask, BadPicturesAndValuesAreClearErrors) {
    try {
        GetPicture::parse("@Q 99");
        FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("'Q'"), std::string::npos);
    }
    EXPECT_THROW(EditBuffer(GetPicture::parse(""), Value(Array{})), std::invalid_argument);
}

TEST(GetMask, DatesAreTypedOverDayMonthAndYear) {
    EditBuffer b(GetPicture::parse(""), Value(Date::fromYmd(2011, 11, 18)));
    EXPECT_EQ(b.text(), "18/11/2011");
    b.insertMode = true;  // dates are typed over all the same
    EXPECT_FALSE(b.type(U'x'));
    typeAll(b, "0503");
    EXPECT_EQ(b.text(), "05/03/2011");
    EXPECT_EQ(b.value().date(), Date::fromYmd(2011, 3, 5));

    // Blank is the empty date; a part typed, or a day the month lacks, is not valid and
    // gives no date at all.
    EditBuffer e(GetPicture::parse(""), Value(Date()));
    EXPECT_EQ(e.text(), "  /  /    ");
    EXPECT_TRUE(e.valid());
    EXPECT_TRUE(e.value().date().empty());
    typeAll(e, "3102");
    EXPECT_FALSE(e.valid());
    typeAll(e, "2011");
    EXPECT_EQ(e.text(), "31/02/2011");
    EXPECT_FALSE(e.valid());
    EXPECT_TRUE(e.value().date().empty());
    e.home();
    typeAll(e, "28");
    EXPECT_TRUE(e.valid());
    EXPECT_EQ(e.value().date(), Date::fromYmd(2011, 2, 28));
    e.del();  // blanks the position, nothing shifts across the separators
    EXPECT_EQ(e.text(), "28/ 2/2011");
    EXPECT_FALSE(e.valid());
}

TEST(GetMask, LogicalsTakeOneLetter) {
    EditBuffer l(GetPicture::parse(""), Value(true));
    EXPECT_EQ(l.text(), "T");
    EXPECT_FALSE(l.type(U'q'));
    EXPECT_FALSE(l.type(U' '));
    EXPECT_TRUE(l.type(U'n'));
    EXPECT_EQ(l.text(), "F");
    EXPECT_FALSE(l.value().logical());
    l.del();
    EXPECT_EQ(l.text(), "F");

    EditBuffer si(GetPicture::parse("Y"), Value(false));
    EXPECT_EQ(si.text(), "N");
    EXPECT_TRUE(si.type(U's'));
    EXPECT_EQ(si.text(), "S");
    EXPECT_TRUE(si.value().logical());
}

TEST(GetMask, ControlCharactersAndNegativeZeroAreRefusedOrHarmless) {
    EditBuffer b(GetPicture::parse("99.99"), Value(1.5));
    EXPECT_FALSE(b.type(U'\t'));
    EXPECT_EQ(b.text(), " 1.50");
    typeAll(b, "-.");
    EXPECT_EQ(b.value().num(), 0);
}

// Random keys over every kind of field: the text keeps the template's length, literals stay
// where they are, the caret stays inside, and the value keeps its type.
TEST(GetMask, RandomEditingKeepsTheTemplate) {
    struct Start {
        const char* picture;
        Value value;
    };
    const Start starts[] = {{"!9", Value("  ")},
                            {"@! AAA-NNN", Value("abc123")},
                            {"@ZE 9999,999.99", Value(1234.5)},
                            {"9,999,999.99", Value(-7.25)},
                            {"99", Value(3)},
                            {"", Value(Date::fromYmd(2011, 11, 18))},
                            {"99-99-9999", Value(Date())},
                            {"Y", Value(true)},
                            {"@X", Value("libre")}};
    const char32_t keys[] = {U'0', U'5', U'9', U'-', U'+', U'.', U',', U' ', U'a', U'Z', U'ñ', U'T', U'n', U'\t'};
    std::mt19937 rng(20111118);
    for (const Start& st : starts) {
        GetPicture pic = GetPicture::parse(st.picture);
        const std::string first = EditBuffer(pic, st.value).text();
        for (int round = 0; round < 200; ++round) {
            EditBuffer b(pic, st.value);
            for (int step = 0; step < 40; ++step) {
                b.insertMode = rng() % 2;
                switch (rng() % 8) {
                    case 0: b.backspace(); break;
                    case 1: b.del(); break;
                    case 2: b.left(); break;
                    case 3: b.right(); break;
                    case 4: b.home(); break;
                    case 5: b.end(); break;
                    default: b.type(keys[rng() % std::size(keys)]);
                }
                ASSERT_GE(b.caret(), 0);
                ASSERT_LE(b.caret(), b.length());
                if (std::string(st.picture) == "@X") continue;  // free text grows
                std::u32string now = toU32(b.text()), was = toU32(first);
                ASSERT_EQ(now.size(), was.size()) << st.picture;
                for (size_t i = 0; i < was.size() && !st.value.isNumber(); ++i)
                    if (was[i] == U'/' || was[i] == U'-') ASSERT_EQ(now[i], was[i]) << st.picture;
            }
            Value v = b.value();
            EXPECT_EQ(v.type(), st.value.type()) << st.picture;
            if (st.value.isDate() && b.valid()) EXPECT_EQ(v.date().empty(), b.text().find_first_of("0123456789") == std::string::npos);
        }
    }
}

}  // namespace
