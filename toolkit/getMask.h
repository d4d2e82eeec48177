#pragma once
// The editing rules of an entry field, in plain code: a picture ("@!", "!9", "99.99",
// "@ZE 9999,999.99", ...) parsed once, and an edit buffer that takes keys through it.
//
// A picture is an optional function part ("@" followed by flags, ended by a blank) and a
// template. Flags: ! upper case everywhere, Z blank when the number is zero, E European
// separators (decimal comma, thousands point), X any character. Template characters:
// 9 a digit (and the sign in numbers), # a digit, blank or sign, ! any character in upper
// case, A a letter, N a letter or digit, X any character; in numbers "," is the thousands
// separator and "." the decimal point; anything else is a literal the caret skips.
//
// EditBuffer is a value: the entry field owns one while it edits and rebuilds it when its
// value or picture changes. Texts are UTF-8; positions count characters.
//
// Dates are edited as dd/mm/yyyy (a picture of 9s and literals may lay them out otherwise)
// and logicals in one position: T or F, or with the picture "Y" S or N (typing T, Y or S
// means true, F or N false). Both are typed over, never shifted. A date is valid() when it
// is blank (the empty date) or a real date; until then the field keeps it to itself.
#include <string>
#include <string_view>

#include "Value.h"

struct GetPicture {
    bool upper = false;
    bool blankZero = false;
    bool european = false;
    bool anyChar = false;
    std::u32string mask;  // the template; empty: free text or the number's own layout

    // Throws std::invalid_argument naming the picture when it has an unknown flag.
    static GetPicture parse(std::string_view picture);
};

// Text form of a number through a numeric template ("9,999.99"), with the flags applied.
std::string formatNumber(double n, const GetPicture& pic);

class EditBuffer {
  public:
    // Texts, numbers, dates and logicals are edited; any other value throws std::invalid_argument.
    EditBuffer(const GetPicture& pic, const Value& value);

    std::string text() const;
    int caret() const { return caret_; }
    int length() const { return int(buf_.size()); }
    bool numeric() const { return kind_ == Kind::Number; }
    // The text stands for a value of the buffer's type (only a date can fail).
    bool valid() const;
    // Something was typed, deleted or cleared since the buffer was made.
    bool changed() const { return changed_; }
    // A number the template cannot show stands as stars: the text stands for no value.
    bool overflow() const;

    bool insertMode = true;

    // One typed character; false when the template refuses it (nothing changes then).
    bool type(char32_t c);
    void backspace();
    void del();
    void left();
    void right();
    void home();
    void end();
    // Puts the caret on the nearest editable position at or after `pos`.
    void setCaret(int pos);
    // Clears what the user can edit.
    void clear();
    // The caret home, as on entering the field: a number's first digit replaces it again.
    void restart();

    // The value the text stands for, of the type the buffer was made with; the empty date
    // while a date is not valid().
    Value value() const;

  private:
    bool editable(int pos) const;
    bool accepts(int pos, char32_t c) const;
    char32_t shown(int pos, char32_t c) const;
    int nextEditable(int pos) const;
    int prevEditable(int pos) const;
    int decimalPos() const;
    void jumpToDecimals();
    bool shiftRight(int from);
    void shiftLeft(int from);

    GetPicture pic_;
    std::u32string mask_;  // one rule per position
    std::u32string buf_;
    int caret_ = 0;
    enum class Kind { Text, Number, Date, Logical };
    Kind kind_ = Kind::Text;
    Date typedDate() const;
    bool growing_ = false;  // free text without a length grows as typed
    bool changed_ = false;
    bool firstKey_ = true;  // a number's first digit replaces the shown value
};

std::u32string toU32(std::string_view s);
std::string toUtf8(std::u32string_view s);
