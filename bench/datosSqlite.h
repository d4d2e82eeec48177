#pragma once
// The sample "datos" rows in an SQLite database file, for the benchmarks that measure the
// DBF side against SQLite: one table per DBF table, a "deleted" column first, then the
// fields (numbers as INTEGER, the rest as TEXT), inserted in one transaction.
#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace bench {

[[noreturn]] void fail(const std::string& what);
void exec(sqlite3* db, const std::string& sql);
// Writes casillas, colonias and a roll of `padronRows` voters (the default seed) to a new
// database at `path`; answers the rows written.
uint64_t writeSqlite(const std::string& path, uint64_t padronRows);

}  // namespace bench
