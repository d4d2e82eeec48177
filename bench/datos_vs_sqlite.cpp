// The sample "datos" tables written by the generator through the DBF codec against the same
// rows inserted into an SQLite database file (one transaction, one prepared insert per
// table, every value bound with its type). Both sides make their rows with the same
// generator, so the difference between them is the cost of writing.
//
// Usage: datos_vs_sqlite [--rows N] [--repeat N]
//   --rows    voters in the roll (default 1000000); the catalogue adds about 6,000 rows
//   --repeat  runs per side, the best is shown (default 1)
// Prints the time of each side, then "ratio write dbf/sqlite = X.XX". A row count that
// differs between the two sides aborts.
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "datosRows.h"
#include "datosSqlite.h"
#include "datosWriter.h"

namespace {

using Clock = std::chrono::steady_clock;
using bench::fail;
using bench::writeSqlite;

uint64_t writeDbf(const std::string& folder, uint64_t padronRows) {
    std::vector<datos::TableSummary> summary;
    Status s = datos::writeDatos({.folder = folder, .padronRows = padronRows}, &summary);
    if (!s.ok()) fail(s.toString());
    uint64_t total = 0;
    for (const datos::TableSummary& t : summary) total += t.rows;
    return total;
}

// Best time of `repeat` runs of `run`, in seconds; `rows` gets the row count it reports.
double best(int repeat, const std::function<uint64_t()>& run, uint64_t* rows) {
    double bestSeconds = 1e300;
    for (int r = 0; r < repeat; ++r) {
        auto start = Clock::now();
        *rows = run();
        bestSeconds =
            std::min(bestSeconds, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return bestSeconds;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t padronRows = 1000000;
    int repeat = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rows") == 0)
            padronRows = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--repeat") == 0) repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    char tmpl[] = "/tmp/urnalia_datos_bench_XXXXXX";
    if (!mkdtemp(tmpl)) fail("cannot make a temporary folder");
    std::string folder = tmpl;

    uint64_t dbfRows = 0, sqliteRows = 0;
    double dbf = best(
        repeat, [&] { return writeDbf(folder + "/datos", padronRows); }, &dbfRows);
    double sqlite = best(
        repeat, [&] { return writeSqlite(folder + "/datos.sqlite", padronRows); }, &sqliteRows);
    std::filesystem::remove_all(folder);
    if (dbfRows != sqliteRows)
        fail("the sides wrote " + std::to_string(dbfRows) + " and " + std::to_string(sqliteRows) +
             " rows");

    std::printf("rows %llu (padron %llu)\n", (unsigned long long)dbfRows,
                (unsigned long long)padronRows);
    std::printf("write  dbf    %8.3f s  %10.0f rows/s\n", dbf, double(dbfRows) / dbf);
    std::printf("write  sqlite %8.3f s  %10.0f rows/s\n", sqlite, double(sqliteRows) / sqlite);
    std::printf("ratio write dbf/sqlite = %.2f\n", dbf / sqlite);
    return 0;
}
