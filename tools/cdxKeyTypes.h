#pragma once
// Learns the key type of each tag of a compound index from the table beside it, so the
// checker decodes trail-compressed keys with the right filler: binary keys (numbers, dates)
// drop trailing 0x00 bytes, character and logical keys trailing blanks.
#include <string>
#include <vector>

#include "cdxReader.h"

struct TagKeyType {
    char type = 'C';  // type letter of the key's value; 'C' when it could not be learnt
    bool learnt = false;
    bool given = false;  // named on the command line as binary
    std::string note;    // why the type is assumed, when it is
};

// The table with the index's base name and a .dbf extension (any case) in the same folder;
// empty when there is none.
std::string tableBeside(const std::string& indexPath);

struct KeyTypes {
    std::vector<TagKeyType> perTag;  // in tag-list order
    std::string tableNote;           // why no tag's type could be learnt, when none could
};

// Opens `table` read-only and shared through the table layer (the DBFCDX driver must be
// registered), compiles each tag's key text and evaluates it on the first record. With an
// empty `table`, or one that cannot be opened, every tag is assumed to have character keys.
KeyTypes learnKeyTypes(const std::string& table, const std::vector<cdx::TagInfo>& tags);

// The filler trailing compression removed for keys of `type`.
inline char fillFor(char type) {
    return type == 'N' || type == 'D' ? cdx::kBinaryFill : cdx::kCharFill;
}
