#pragma once
// The empty record of the current work area: the value of every field at the end-of-file
// position (blanks of the field's width, zero, the empty date, false), in field order.
#include "Value.h"

Value REGVACIO();
