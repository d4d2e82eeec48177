#pragma once
// The in-memory table engine, driver "ARRAYRDD": whole tables kept in memory under their
// upper-case names in a process-wide registry, used through the table layer like disk
// tables. Nothing is written to disk; a table lives until it is erased or the program ends.
#include <string>

#include "Rdd.h"
#include "Value.h"

// Makes the driver known to the table layer and registers it as a full driver; called once
// at program start.
void arrayRddRegister();

// Hands the operation table to the layer and keeps the driver number it assigns.
bool ARRAYRDD_GETFUNCTABLE(RddFuncTable& table, int driverId);
// The driver number, -1 while the driver is not in use.
int arrayRddId();

// The table open in the current work area takes `rows` (an array of rows, each an array of
// values in structure order) as its records, by reference; then the area goes to the top.
void HB_SETARRAYRDD(const Value& rows);
// True when a table of that name (compared upper-cased) is registered.
bool HB_FILEARRAYRDD(const Value& name);
// 0: removed; 1: not a text or not registered. A table still open raises an error and unwinds.
int HB_ERASEARRAYRDD(const Value& name);

// Test hook: forget the registry (and the driver number, when `unregister`) to reach the
// "not in use" and "not initialised" states.
void arrayRddResetForTests(bool unregister);
