#pragma once
// The election's configuration over fresh memory tables, as the program prepares it at
// start-up: the tests of the count, the configuration and the graphs begin here.
#include <memory>

#include "mainConfig.h"
#include "memoryTables.h"

inline void freshElection() {
    freshMemoryTables();
    oConfig = std::make_unique<config>();
    oConfig->New(nullptr);
}
