#pragma once
// The current record of the current work area as a list of field values.
#include "Value.h"

// values NIL (or not a list): a new list with the record's field values in field order.
// values a list: locks the record with RBLOQUEAR(seconds, escape) and writes element i
// into field i (NIL elements are left as they are); answers true when written, false when
// the lock was refused or a value did not fit its field (then nothing is written).
Value AREGISTRO(const Value& values = Value(), const Value& seconds = Value(),
                const Value& escape = Value());
