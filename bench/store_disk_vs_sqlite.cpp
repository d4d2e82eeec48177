// Committed changes on disk, each one durable: the disk driver DBFCDX (every change through
// its journal, flushed) against an SQLite database file in its rollback-journal mode with
// full syncs, each change its own transaction. The table holds polling stations (a key, 35
// party counts and a total) with two indexes; the workload appends N stations and then
// rewrites the counts of N random ones.
//
// Usage: store_disk_vs_sqlite [--rows N] [--folder DIR]
// Prints the time per change of each side and `ratio store-disk dbfcdx/sqlite = X.XX`.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Error.h"
#include "TableLayer.h"
#include "dbfCdxDriver.h"

namespace fs = std::filesystem;

namespace {

constexpr int kParties = 35;

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "store_disk_vs_sqlite: %s\n", message.c_str());
    std::exit(1);
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string keyOf(long i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "P%02ld%04ldB1", 1 + i % 5, i);
    return buf;
}

std::vector<Value> rowOf(long i, std::mt19937& rng) {
    std::vector<Value> row{Value(keyOf(i))};
    long total = 0;
    for (int p = 0; p < kParties; ++p) {
        long v = long(rng() % 300);
        total += v;
        row.push_back(Value(double(v)));
    }
    row.push_back(Value(double(total)));
    return row;
}

double dbfcdxSide(const std::string& folder, long rows) {
    dbfCdxRegister();
    Structure st{{"clave", 'C', 9, 0}};
    for (int p = 0; p < kParties; ++p) st.push_back({"p" + std::to_string(p + 1), 'N', 6, 0});
    st.push_back({"total", 'N', 8, 0});
    std::string path = folder + "/votos";
    if (!DBCREATE(path, st, "DBFCDX") || !DBUSEAREA(true, "DBFCDX", path, "V", false))
        fail("cannot create the table");
    if (!ORDCREATE("", "CLAVE", "clave") || !ORDCREATE("", "TOTAL", "total")) fail("cannot create the tags");
    std::mt19937 rng(7);
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < rows; ++i)
        if (!DBAPPEND() || !DBPUTREC(rowOf(i, rng))) fail("append failed");
    for (long i = 0; i < rows; ++i) {
        long at = long(rng() % unsigned(rows));
        std::vector<Value> row = rowOf(at, rng);
        if (!DBGOTO(at + 1) || !DBPUTREC(row)) fail("store failed");
    }
    double t = seconds(start);
    DBCLOSEALL();
    return t;
}

void exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) fail(err ? err : sql);
}

double sqliteSide(const std::string& folder, long rows) {
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + "/votos.sqlite").c_str(), &db) != SQLITE_OK) fail("cannot open sqlite");
    exec(db, "PRAGMA journal_mode=DELETE");
    exec(db, "PRAGMA synchronous=FULL");
    std::string create = "CREATE TABLE votos (clave TEXT";
    for (int p = 0; p < kParties; ++p) create += ", p" + std::to_string(p + 1) + " INTEGER";
    create += ", total INTEGER)";
    exec(db, create.c_str());
    exec(db, "CREATE INDEX clave ON votos(clave)");
    exec(db, "CREATE INDEX total ON votos(total)");
    std::string insert = "INSERT INTO votos VALUES (?";
    for (int p = 0; p <= kParties; ++p) insert += ",?";
    insert += ")";
    std::string update = "UPDATE votos SET clave=?1";
    for (int p = 0; p < kParties; ++p) update += ", p" + std::to_string(p + 1) + "=?" + std::to_string(p + 2);
    update += ", total=?" + std::to_string(kParties + 2) + " WHERE rowid=?" + std::to_string(kParties + 3);
    sqlite3_stmt *ins = nullptr, *upd = nullptr;
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &ins, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, update.c_str(), -1, &upd, nullptr) != SQLITE_OK)
        fail(sqlite3_errmsg(db));
    auto bind = [](sqlite3_stmt* s, const std::vector<Value>& row) {
        sqlite3_bind_text(s, 1, row[0].text().c_str(), -1, SQLITE_TRANSIENT);
        for (size_t i = 1; i < row.size(); ++i) sqlite3_bind_int64(s, int(i + 1), sqlite3_int64(row[i].num()));
    };
    std::mt19937 rng(7);
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < rows; ++i) {
        bind(ins, rowOf(i, rng));
        if (sqlite3_step(ins) != SQLITE_DONE) fail(sqlite3_errmsg(db));
        sqlite3_reset(ins);
    }
    for (long i = 0; i < rows; ++i) {
        long at = long(rng() % unsigned(rows));
        bind(upd, rowOf(at, rng));
        sqlite3_bind_int64(upd, kParties + 3, at + 1);
        if (sqlite3_step(upd) != SQLITE_DONE) fail(sqlite3_errmsg(db));
        sqlite3_reset(upd);
    }
    double t = seconds(start);
    sqlite3_finalize(ins);
    sqlite3_finalize(upd);
    sqlite3_close(db);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    long rows = 1000;
    std::string folder;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--rows")) rows = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--folder")) folder = argv[i + 1];
        else fail(std::string("unknown option ") + argv[i]);
    }
    if (rows < 1) fail("--rows must be positive");
    bool own = folder.empty();
    if (own) {
        char tmpl[] = "/tmp/urnalia_store_XXXXXX";
        if (!mkdtemp(tmpl)) fail("no temporary folder");
        folder = tmpl;
    }
    ScopedErrorHandler quiet([](const ErrorRecord& r) {
        std::fprintf(stderr, "error: %s\n", r.description.c_str());
        return ErrorAction::Default;
    });
    double disk = dbfcdxSide(folder, rows);
    double lite = sqliteSide(folder, rows);
    if (own) fs::remove_all(folder);
    long changes = rows * 3;  // append, fill, and one rewrite each
    std::printf("dbfcdx  %ld appends and %ld rewrites, each durable: %.3f s (%.3f ms per change)\n", rows, rows,
                disk, disk * 1000 / double(changes));
    std::printf("sqlite  %ld inserts and %ld updates, each durable:  %.3f s (%.3f ms per statement)\n", rows, rows,
                lite, lite * 1000 / double(2 * rows));
    std::printf("ratio store-disk dbfcdx/sqlite = %.2f\n", disk / lite);
    return 0;
}
