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
#include "datosWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "datos_vs_sqlite: %s\n", what.c_str());
    std::exit(1);
}

void exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
        fail(sql + ": " + (message ? message : "?"));
}

// Creates `name` with the columns of `structure` and inserts every row `next` gives.
uint64_t insertTable(sqlite3* db, const std::string& name, const Structure& structure,
                     uint64_t rows, const std::function<datos::Row()>& next) {
    std::string create = "CREATE TABLE " + name + "(deleted INTEGER";
    std::string insert = "INSERT INTO " + name + " VALUES(?";
    for (const FieldDesc& f : structure) {
        create += ", " + f.name + (f.type == 'N' ? " INTEGER" : " TEXT");
        insert += ",?";
    }
    exec(db, create + ")");
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        fail(sqlite3_errmsg(db));
    for (uint64_t i = 0; i < rows; ++i) {
        datos::Row row = next();
        sqlite3_bind_int(stmt, 1, row.deleted);
        for (size_t f = 0; f < row.values.size(); ++f) {
            const Value& v = row.values[f];
            int column = int(f) + 2;
            if (v.isNumber()) {
                sqlite3_bind_int64(stmt, column, sqlite3_int64(v.num()));
            } else {
                std::string s = v.isDate() ? v.date().dtos() : v.text();
                sqlite3_bind_text(stmt, column, s.data(), int(s.size()), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) fail(sqlite3_errmsg(db));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return rows;
}

uint64_t writeSqlite(const std::string& path, uint64_t padronRows) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) fail("cannot open " + path);
    exec(db, "BEGIN");
    datos::Catalogo catalogo(datos::kDefaultSeed);
    uint64_t total = 0;
    for (auto [name, structure, rows] :
         {std::tuple("casillas", datos::casillasStructure(), &catalogo.casillas()),
          std::tuple("colonias", datos::coloniasStructure(), &catalogo.colonias())}) {
        size_t i = 0;
        total += insertTable(db, name, structure, rows->size(), [&] { return (*rows)[i++]; });
    }
    datos::Padron padron(catalogo, datos::kDefaultSeed);
    total += insertTable(db, "padron", datos::padronStructure(), padronRows,
                         [&] { return padron.next(); });
    exec(db, "COMMIT");
    sqlite3_close(db);
    return total;
}

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
