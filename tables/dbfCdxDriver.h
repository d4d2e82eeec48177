#pragma once
// The disk driver "DBFCDX": DBF tables with FPT memo files on disk, shared between work
// areas and processes through byte-range locks (see dbfCdxArea.h for the lock scheme).
// Orders are not handled yet: their operations answer failure through the layer defaults.
#include "Rdd.h"

// Makes the driver known to the table layer and registers it as a full driver.
void dbfCdxRegister();

// Hands the operation table to the layer and keeps the driver number it assigns.
bool DBFCDX_GETFUNCTABLE(RddFuncTable& table, int driverId);
