#pragma once
// A fresh memory-table engine for each test: no tables registered, default settings.
// Registration is once per process; the registry is initialised again each time.
#include "TableLayer.h"
#include "arrayRdd.h"

inline void freshMemoryTables() {
    arrayRddRegister();
    arrayRddResetForTests(false);
    RddFuncTable t;
    ARRAYRDD_GETFUNCTABLE(t, rddFind("ARRAYRDD")->id);
    t.init();
    tableSettings() = TableSettings{};
}
