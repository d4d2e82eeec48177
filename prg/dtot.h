#pragma once
// Dates as text by a pattern of placeholders: dddd/Dddd/DDDD (day name as is, capitalised,
// upper case), ddd/Ddd/DDD (its first three letters), dd/DD (day), 0d/0D (day, two digits),
// mmmm/Mmmm/MMMM (month name with a lower-case first letter, as is, upper case),
// mmm/Mmm/MMM (three letters), mm/MM (month), 0m/0M (month, two digits), yyyy/YYYY (year
// in four positions), yy/YY (its last two). Names are English. The empty date gives
// blanks of each number's width and empty names.
#include <string>

#include "Value.h"

// A date that is not a date is the empty date; a pattern that is not text is
// "dd de mmmm de yyyy".
std::string DTOT(const Value& date = Value(), const Value& pattern = Value());
