#pragma once
// Character-counting helpers for UTF-8 text (field lengths count characters).
#include <string>
#include <string_view>

namespace text {
size_t length(std::string_view s);                      // characters
size_t byteOffset(std::string_view s, size_t chars);    // byte offset of character `chars`
std::string left(std::string_view s, size_t chars);
std::string right(std::string_view s, size_t chars);
std::string sub(std::string_view s, size_t start0, size_t chars);  // 0-based start
// Cut to `chars` characters or pad with blanks up to it.
std::string fit(std::string_view s, size_t chars);
std::string padLeft(std::string_view s, size_t chars, char fill = ' ');
std::string rtrim(std::string_view s);
std::string ltrim(std::string_view s);
std::string upper(std::string_view s);  // ASCII and Latin-1 letters
std::string lower(std::string_view s);
// The UTF-8 bytes of one code point.
std::string fromCodePoint(char32_t c);
// Number as text of `width` characters with `decimals` decimals, right aligned;
// a row of '*' when it does not fit.
std::string formatNumber(double n, int width, int decimals);
// `n` rounded to `decimals` decimals (0 to 15) as numeric fields store it: halves away from
// zero, judged on `n` scaled by the power of ten (so 2.675 gives 2.68 and 1.005 gives 1.00,
// as their binary values scale); never negative zero.
double roundDecimals(double n, int decimals);
// The text a numeric field of `decimals` decimals holds for `n`: rounded by roundDecimals,
// unpadded, never "-0"; "" when `n` is not a number that can be written.
std::string fieldNumber(double n, int decimals);
}  // namespace text
