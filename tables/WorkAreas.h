#pragma once
// Internal state of the table layer shared by its source files: the areas, the drivers,
// the current area and the network-error flag. Not for use outside tables/.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Rdd.h"

struct LayerState {
    std::vector<std::unique_ptr<Area>> areas{1};  // index = area number; slot 0 unused
    int current = 1;
    std::map<std::string, RddNode> drivers;
    std::map<std::string, RddGetFuncTable> provided;
    std::string defaultDriver = "DBFCDX";
    int nextDriverId = 0;
    bool netErr = false;
    uint64_t nextStamp = 1;
};
LayerState& layer();

// Area of the current slot, or nullptr when it holds no table.
Area* areaOrNull();
// Same, but raises the "Workarea not in use" error for `operation` when empty.
Area* areaFor(const char* operation);
int lowestFreeArea();
// Raises an error record of the layer's own ("DBCMD" subsystem).
void raiseLayerError(int genCode, int subCode, const std::string& operation,
                     const std::string& detail = "");
// Fills the empty entries of a driver's table with the layer's defaults.
void rddFillDefaults(RddFuncTable& t);
