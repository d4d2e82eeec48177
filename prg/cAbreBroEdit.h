#pragma once
// Writing a cell edited in the cell browse back to its table field. The browse shows
// fields as texts; an edit accepted in a cell comes back as the text typed, and only a
// column that shows its field's own text is written back.
#include <string>

#include "Value.h"

// The text a cell shows for a field value, as the table row source (_AFIELDS) shows it:
// dates as dd/mm/yyyy (blanks for the empty date), logicals as ".T." or ".F.", numbers
// in their own form, texts as they are.
std::string cellTextOf(const Value& fieldValue);

// Writes the text typed in a cell into field `field` of the current work area, converted
// to the field's type: a date from dd/mm/yyyy (blanks: the empty date), a logical from
// ".T." or ".F." in any case, a number from its digits, other types as typed. False, with
// an error record through the handler, when the text stands for no value of that type or
// the field cannot hold it (a number too wide, a text longer than the field); the record
// is then left as it was.
bool cellToField(int field, const Value& typed);
