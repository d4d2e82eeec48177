#include "datosSqlite.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <tuple>
#include <vector>

#include "datosRows.h"
#include "datosWriter.h"

namespace bench {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

void exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
        fail(sql + ": " + (message ? message : "?"));
}

namespace {

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

}  // namespace

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

}  // namespace bench
