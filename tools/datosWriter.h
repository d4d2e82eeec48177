#pragma once
// Writes the sample "datos" tables (casillas.dbf, colonias.dbf, padron.dbf) into a folder
// with the DBF codec, streaming the roll so memory stays small at any size.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Status.h"

namespace datos {

constexpr uint64_t kDefaultPadronRows = 20000;
constexpr uint64_t kMaxPadronRows = 10000000;
constexpr uint64_t kDefaultSeed = 2024;

struct DatosOptions {
    std::string folder;  // created when missing
    uint64_t padronRows = kDefaultPadronRows;
    uint64_t seed = kDefaultSeed;
    bool keepExisting = false;  // leave a table alone when its file exists
    // Told the share of padron.dbf written so far, every 5 percent.
    std::function<void(std::string_view file, int percent)> progress;
};

struct TableSummary {
    std::string file;  // "padron.dbf"
    uint64_t rows = 0;
    uint64_t deleted = 0;
    bool kept = false;  // existed and was left alone
};

// Each table is written to a temporary file first and renamed over the old one only when
// complete; the old table's compound index, stale from then on, is removed.
Status writeDatos(const DatosOptions& options, std::vector<TableSummary>* summary);

// The command line "FOLDER [PADRON_ROWS] [--seed N] [--keep]" (without the program name).
// False with a one-line message in `error` when it is not understood; `help` is set for
// "--help" or "-h".
bool parseDatosArgs(const std::vector<std::string>& args, DatosOptions* out, bool* help,
                    std::string* error);
std::string datosUsage();

}  // namespace datos
