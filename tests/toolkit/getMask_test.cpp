// The entry field's picture rules, without windows.
#include <gtest/gtest.h>

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
    EXPECT_THROW(EditBuffer(GetPicture::parse("99"), Value(true)), std::invalid_argument);
    EXPECT_THROW(EditBuffer(GetPicture::parse(""), Value(Date())), std::invalid_argument);
}

TEST(GetMask, ControlCharactersAndNegativeZeroAreRefusedOrHarmless) {
    EditBuffer b(GetPicture::parse("99.99"), Value(1.5));
    EXPECT_FALSE(b.type(U'\t'));
    EXPECT_EQ(b.text(), " 1.50");
    typeAll(b, "-.");
    EXPECT_EQ(b.value().num(), 0);
}

}  // namespace
