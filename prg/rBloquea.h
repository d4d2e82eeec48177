#pragma once
// The record lock with a timed retry: locks the current record of the current work area,
// waiting in spells of `seconds` clock seconds (one attempt per second) behind a busy box
// and asking "Reintentar"/"Cancelar" after each spell.
#include "Value.h"

// seconds: a number (default 15); escape: a logical (default true) allowing the Escape
// key to end a waiting spell. True when the record is locked.
bool RBLOQUEAR(const Value& seconds = Value(), const Value& escape = Value());
