#pragma once
// Conversion between UTF-8 text and the single-byte code pages of DBF character data.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Status.h"

namespace dbf {

// A single-byte code page (1252, 850 or 437).
class CodePage {
  public:
    // The code page a header's mark names; `fallback` (a code page number, 1252 when
    // unknown) for the unmarked 0. Null for a mark of a code page we have no table for.
    static const CodePage* forMark(uint8_t mark, int fallback);
    static const CodePage* byNumber(int number);  // null when unknown

    int number() const { return number_; }
    uint8_t mark() const { return mark_; }
    std::string toUtf8(std::string_view bytes) const;
    // InvalidArgument naming the character when it has no byte in this code page or the
    // text is not valid UTF-8.
    Status fromUtf8(std::string_view text, std::string* out) const;

    CodePage(int number, uint8_t mark, const uint16_t* high)
        : number_(number), mark_(mark), high_(high) {}

  private:
    int byteOf(uint32_t cp) const;  // the byte of a code point of the high half, -1 when none

    int number_;
    uint8_t mark_;
    const uint16_t* high_;  // code points of bytes 0x80-0xFF
    mutable std::vector<uint8_t> reverse_;
};

}  // namespace dbf
