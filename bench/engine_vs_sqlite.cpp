// The in-memory table engine against an SQLite in-memory database on the "votos" table of
// polling stations: the same three workloads on both sides, timed with steady_clock.
//
//   store  append N stations, 40 fields each, both indexes maintained
//   seek   100,000 point lookups of existing station keys, reading `total` after each
//   scope  ordered walk of every count key's stations (key prefix "P03" ...), summing `total`
//   recall (engine only) 5,000 and then 20,000 deleted records recalled from the last one
//          back under an order whose key is deleted(); the ratio of the two times shows how
//          the cost grows (4 is linear); timed in CPU time of the thread
//
// Usage: engine_vs_sqlite [--rows N] [--seeks N] [--passes N] [--repeat N]
// Prints per workload the time of each side (the best of --repeat runs, default 3, to damp
// the noise of a busy machine), then the three ratio lines (engine time / sqlite time).
//   --rows    stations stored (default 100000)
//   --seeks   point lookups (default 100000)
//   --passes  walks over every count key (default 5)
// Any disagreement between the two sides, or with the generated data, aborts.
// The workload functions are kept out of line so that a profiler can single one out, e.g.
//   valgrind --tool=callgrind --toggle-collect='*engineSeek*' engine_vs_sqlite --rows 20000
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "Error.h"
#include "TableLayer.h"
#include "Value.h"
#include "arrayRdd.h"

namespace {

constexpr std::array<const char*, 35> kParties = {
    "PSOE", "IU",  "LV",  "PA",   "PSC", "PP",    "CC",  "FE",  "DN",  "ERC", "ICV", "BNG",
    "PSA",  "CIU", "UPN", "E2000", "EA", "PNV",   "ANV", "CDC", "CHA", "ARALAR", "PAS", "PAR",
    "EU",   "AA",  "UV",  "BLOC", "CDN", "ENV",   "PHC", "CNC", "PR",  "PSM", "UM"};
constexpr std::array<const char*, 4> kTypes = {"B1", "C1", "E1", "S1"};
constexpr std::array<const char*, 2> kOffices = {"P", "A"};
constexpr int kDistricts = 5;
constexpr int kStationsPerDistrict = 9999;
constexpr long kMaxRows = long(kOffices.size()) * kDistricts * kStationsPerDistrict * long(kTypes.size());

// Field numbers (1-based) in the table's structure.
constexpr int kCasilla = 1, kTipo = 2, kFirstParty = 3, kTotal = 38, kPuesto = 39, kDistrito = 40;
constexpr int kFieldCount = 40;

struct Station {
    int casilla = 0;
    std::string tipo;
    std::array<int, 35> votes{};
    int total = 0;
    std::string puesto;
    int distrito = 0;
    std::string clave;  // puesto + strZero(distrito,2) + strZero(casilla,4) + tipo
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "engine_vs_sqlite: %s\n", message.c_str());
    std::exit(1);
}

std::string makeKey(const std::string& puesto, int distrito, int casilla, const std::string& tipo) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%02d%04d%s", puesto.c_str(), distrito, casilla, tipo.c_str());
    return buf;
}

// Deterministic stations with unique keys, in random key order.
std::vector<Station> makeStations(long rows) {
    std::mt19937_64 rng(0x5eed2024);
    std::uniform_int_distribution<int> vote(0, 300);
    std::unordered_set<std::string> used;
    used.reserve(size_t(rows) * 2);
    std::vector<Station> out;
    out.reserve(size_t(rows));
    while (long(out.size()) < rows) {
        Station s;
        s.puesto = kOffices[rng() % kOffices.size()];
        s.distrito = int(rng() % kDistricts);
        s.casilla = 1 + int(rng() % kStationsPerDistrict);
        s.tipo = kTypes[rng() % kTypes.size()];
        s.clave = makeKey(s.puesto, s.distrito, s.casilla, s.tipo);
        if (!used.insert(s.clave).second) continue;  // duplicate key: draw again
        for (int& v : s.votes) {
            v = vote(rng);
            s.total += v;
        }
        out.push_back(std::move(s));
    }
    return out;
}

// The count keys (office + district), e.g. "P03".
std::vector<std::string> countKeys() {
    std::vector<std::string> keys;
    for (const char* p : kOffices)
        for (int d = 0; d < kDistricts; ++d) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%s%02d", p, d);
            keys.push_back(buf);
        }
    return keys;
}

// The smallest text greater than every text starting with `prefix`.
std::string prefixEnd(std::string prefix) {
    prefix.back() = char(prefix.back() + 1);
    return prefix;
}

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// ---- the engine ------------------------------------------------------------------------

// CPU time of this thread in milliseconds: a run of a few milliseconds on a busy machine
// is often preempted, which wall-clock time would count.
double cpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Recalls `n` deleted records, the last one first, under the focus of an order keyed by
// deleted(); the table, its deletions and the order are made untimed.
[[gnu::noinline]] double engineRecall(long n) {
    if (!DBCREATE("recalls", {{"n", 'N', 6, 0}}, "ARRAYRDD", true)) fail("engine: DBCREATE recalls failed");
    if (!ORDCREATE("", "deleted", "deleted()")) fail("engine: ORDCREATE deleted failed");
    for (long r = 1; r <= n; ++r) {
        if (!DBAPPEND()) fail("engine: cannot fill recalls");
        FIELDPUT(1, Value(r));
        if (!DBDELETE()) fail("engine: cannot fill recalls");
    }
    double start = cpuMs();
    for (long r = n; r >= 1; --r)
        if (!DBGOTO(r) || !DBRECALL()) fail("engine: DBRECALL failed");
    double ms = cpuMs() - start;
    DBGOTOP();
    if (DELETED() || ORDKEYCOUNT() != n) fail("engine: the deleted() order lost keys in the recalls");
    DBCLOSEAREA();
    if (HB_ERASEARRAYRDD(Value("recalls")) != 0) fail("engine: cannot erase the recalls table");
    return ms;
}

void engineCreate() {
    Structure st;
    st.push_back({"casilla", 'N', 4, 0});
    st.push_back({"tipo", 'C', 2, 0});
    for (const char* p : kParties) st.push_back({p, 'N', 4, 0});
    st.push_back({"total", 'N', 4, 0});
    st.push_back({"puesto", 'C', 1, 0});
    st.push_back({"distrito", 'N', 2, 0});
    if (int(st.size()) != kFieldCount) fail("structure does not have 40 fields");
    if (!DBCREATE("votos", st, "ARRAYRDD", true)) fail("engine: DBCREATE failed");
    ORDCONDSET(OrderCondition{.forText = "!deleted()"});
    if (!ORDCREATE("", "casilla", "puesto + strZero(distrito,2) + strZero(casilla,4) + tipo"))
        fail("engine: ORDCREATE casilla failed");
    ORDCONDSET(OrderCondition{.forText = "deleted()"});
    if (!ORDCREATE("", "deleted", "deleted()")) fail("engine: ORDCREATE deleted failed");
    ORDSETFOCUS(Value("casilla"));
    if (FIELDPOS("TOTAL") != kTotal || FIELDPOS("DISTRITO") != kDistrito)
        fail("engine: unexpected field positions");
}

// Appends every station and saves its 40 fields in one DBPUTREC, as a record buffer's save
// does: every value is checked, then stored, and the orders follow the record once.
[[gnu::noinline]] double engineStore(const std::vector<Station>& stations) {
    std::vector<Value> row(40);
    auto start = Clock::now();
    for (const Station& s : stations) {
        if (!DBAPPEND()) fail("engine: DBAPPEND failed");
        row[kCasilla - 1] = Value(s.casilla);
        row[kTipo - 1] = Value(s.tipo);
        for (int i = 0; i < 35; ++i) row[size_t(kFirstParty - 1 + i)] = Value(s.votes[size_t(i)]);
        row[kTotal - 1] = Value(s.total);
        row[kPuesto - 1] = Value(s.puesto);
        row[kDistrito - 1] = Value(s.distrito);
        if (!DBPUTREC(row)) fail("engine: DBPUTREC failed");
    }
    return msSince(start);
}

// The same stations written one FIELDPUT per field, each write keeping the orders up to
// date on its own; shown for comparison, not part of the ratio.
[[gnu::noinline]] double engineStoreByField(const std::vector<Station>& stations) {
    auto start = Clock::now();
    for (const Station& s : stations) {
        if (!DBAPPEND()) fail("engine: DBAPPEND failed");
        FIELDPUT(kCasilla, Value(s.casilla));
        FIELDPUT(kTipo, Value(s.tipo));
        for (int i = 0; i < 35; ++i) FIELDPUT(kFirstParty + i, Value(s.votes[size_t(i)]));
        FIELDPUT(kTotal, Value(s.total));
        FIELDPUT(kPuesto, Value(s.puesto));
        FIELDPUT(kDistrito, Value(s.distrito));
    }
    return msSince(start);
}

[[gnu::noinline]] double engineSeek(const std::vector<Value>& keys, long long& sum) {
    sum = 0;
    auto start = Clock::now();
    for (const Value& k : keys) {
        if (!DBSEEK(k)) fail("engine: key not found: " + k.text());
        sum += (long long)FIELDGET(kTotal).num();
    }
    return msSince(start);
}

// Scoped ordered walks of every count key, `passes` times; sums per count key.
[[gnu::noinline]] double engineScope(const std::vector<Value>& counts, int passes, std::vector<long long>& sums,
                   long& visited) {
    sums.assign(counts.size(), 0);
    visited = 0;
    auto start = Clock::now();
    for (int p = 0; p < passes; ++p)
        for (size_t i = 0; i < counts.size(); ++i) {
            ORDSCOPE(0, counts[i]);
            ORDSCOPE(1, counts[i]);
            long long sum = 0;
            for (DBGOTOP(); !EOF_(); DBSKIP(1)) {
                sum += (long long)FIELDGET(kTotal).num();
                ++visited;
            }
            sums[i] += sum;
        }
    auto ms = msSince(start);
    ORDSCOPE(0);
    ORDSCOPE(1);
    return ms;
}

// ---- SQLite ----------------------------------------------------------------------------

void check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        fail(std::string("sqlite: ") + what + ": " + sqlite3_errmsg(db));
}

void exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "?";
        sqlite3_free(err);
        fail("sqlite: " + msg + " in: " + sql);
    }
}

sqlite3_stmt* prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    check(db, sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr),
          sql.c_str());
    return st;
}

// The same 40 columns; `clave` is the casilla key computed by SQLite itself from the
// columns (an indexed virtual generated column), as the engine evaluates its key text.
// Partial indexes play the FOR conditions: keys of records not deleted, and deleted ones.
sqlite3* sqliteCreate() {
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) fail("sqlite: cannot open :memory:");
    std::string sql = "CREATE TABLE votos (casilla INTEGER NOT NULL, tipo TEXT NOT NULL";
    for (const char* p : kParties) sql += std::string(", ") + p + " INTEGER NOT NULL";
    sql +=
        ", total INTEGER NOT NULL, puesto TEXT NOT NULL, distrito INTEGER NOT NULL"
        ", deleted INTEGER NOT NULL DEFAULT 0"
        ", clave TEXT GENERATED ALWAYS AS (puesto || substr('00' || distrito, -2)"
        " || substr('0000' || casilla, -4) || tipo) VIRTUAL)";
    exec(db, sql);
    exec(db, "CREATE INDEX votos_casilla ON votos(clave) WHERE NOT deleted");
    exec(db, "CREATE INDEX votos_deleted ON votos(deleted) WHERE deleted");
    return db;
}

const char* kSeekSql = "SELECT total FROM votos WHERE clave = ?1 AND NOT deleted";
const char* kScopeSql =
    "SELECT total FROM votos WHERE clave >= ?1 AND clave < ?2 AND NOT deleted ORDER BY clave";

// Aborts unless the query's plan goes through the casilla index.
void requireIndex(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = prepare(db, "EXPLAIN QUERY PLAN " + sql);
    std::string plan;
    while (sqlite3_step(st) == SQLITE_ROW) plan += reinterpret_cast<const char*>(sqlite3_column_text(st, 3));
    sqlite3_finalize(st);
    if (plan.find("votos_casilla") == std::string::npos || plan.find("TEMP B-TREE") != std::string::npos)
        fail("sqlite: query does not use the casilla index: " + sql + " -> " + plan);
}

// One INSERT prepared once, with bound parameters. The whole workload runs inside one
// transaction; the engine has no transactions, so neither side commits per row.
[[gnu::noinline]] double sqliteStore(sqlite3* db, const std::vector<Station>& stations) {
    std::string sql = "INSERT INTO votos (casilla, tipo";
    for (const char* p : kParties) sql += std::string(", ") + p;
    sql += ", total, puesto, distrito) VALUES (?1";
    for (int i = 2; i <= kFieldCount; ++i) sql += ", ?" + std::to_string(i);
    sql += ")";
    sqlite3_stmt* ins = prepare(db, sql);
    auto start = Clock::now();
    exec(db, "BEGIN");
    for (const Station& s : stations) {
        sqlite3_bind_int(ins, kCasilla, s.casilla);
        sqlite3_bind_text(ins, kTipo, s.tipo.data(), int(s.tipo.size()), SQLITE_STATIC);
        for (int i = 0; i < 35; ++i) sqlite3_bind_int(ins, kFirstParty + i, s.votes[size_t(i)]);
        sqlite3_bind_int(ins, kTotal, s.total);
        sqlite3_bind_text(ins, kPuesto, s.puesto.data(), int(s.puesto.size()), SQLITE_STATIC);
        sqlite3_bind_int(ins, kDistrito, s.distrito);
        if (sqlite3_step(ins) != SQLITE_DONE) check(db, SQLITE_ERROR, "INSERT");
        sqlite3_reset(ins);
    }
    exec(db, "COMMIT");
    double ms = msSince(start);
    sqlite3_finalize(ins);
    return ms;
}

[[gnu::noinline]] double sqliteSeek(sqlite3* db, const std::vector<std::string>& keys, long long& sum) {
    sqlite3_stmt* sel = prepare(db, kSeekSql);
    sum = 0;
    auto start = Clock::now();
    for (const std::string& k : keys) {
        sqlite3_bind_text(sel, 1, k.data(), int(k.size()), SQLITE_STATIC);
        if (sqlite3_step(sel) != SQLITE_ROW) fail("sqlite: key not found: " + k);
        sum += sqlite3_column_int64(sel, 0);
        sqlite3_reset(sel);
    }
    double ms = msSince(start);
    sqlite3_finalize(sel);
    return ms;
}

[[gnu::noinline]] double sqliteScope(sqlite3* db, const std::vector<std::string>& counts, int passes,
                   std::vector<long long>& sums, long& visited) {
    sqlite3_stmt* sel = prepare(db, kScopeSql);
    std::vector<std::string> ends;
    for (const std::string& c : counts) ends.push_back(prefixEnd(c));
    sums.assign(counts.size(), 0);
    visited = 0;
    auto start = Clock::now();
    for (int p = 0; p < passes; ++p)
        for (size_t i = 0; i < counts.size(); ++i) {
            sqlite3_bind_text(sel, 1, counts[i].data(), int(counts[i].size()), SQLITE_STATIC);
            sqlite3_bind_text(sel, 2, ends[i].data(), int(ends[i].size()), SQLITE_STATIC);
            long long sum = 0;
            int rc;
            while ((rc = sqlite3_step(sel)) == SQLITE_ROW) {
                sum += sqlite3_column_int64(sel, 0);
                ++visited;
            }
            check(db, rc, "scope SELECT");
            sqlite3_reset(sel);
            sums[i] += sum;
        }
    double ms = msSince(start);
    sqlite3_finalize(sel);
    return ms;
}

long sqliteCount(sqlite3* db) {
    sqlite3_stmt* st = prepare(db, "SELECT count(*) FROM votos WHERE NOT deleted");
    long n = sqlite3_step(st) == SQLITE_ROW ? long(sqlite3_column_int64(st, 0)) : -1;
    sqlite3_finalize(st);
    return n;
}

// ---- report ----------------------------------------------------------------------------

void printSide(const char* workload, const char* side, double ms, long ops, const char* unit) {
    std::printf("%-6s %-7s %10.2f ms %10.1f ns/%s\n", workload, side, ms, ms * 1e6 / double(ops), unit);
}

long argValue(int argc, char** argv, int& i) {
    if (i + 1 >= argc) fail(std::string("missing value after ") + argv[i]);
    char* end = nullptr;
    long v = std::strtol(argv[++i], &end, 10);
    if (!end || *end || v <= 0) fail(std::string("bad value for ") + argv[i - 1] + ": " + argv[i]);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    long rows = 100000, seeks = 100000, passes = 5, repeat = 3;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--rows")
            rows = argValue(argc, argv, i);
        else if (a == "--seeks")
            seeks = argValue(argc, argv, i);
        else if (a == "--passes")
            passes = argValue(argc, argv, i);
        else if (a == "--repeat")
            repeat = argValue(argc, argv, i);
        else if (a == "-h" || a == "--help") {
            std::printf("usage: engine_vs_sqlite [--rows N] [--seeks N] [--passes N] [--repeat N]\n");
            return 0;
        } else
            fail("unknown argument: " + a);
    }
    if (rows > kMaxRows) fail("--rows is at most " + std::to_string(kMaxRows) + " (unique station keys)");

    // Any error record of the table layer is a failure of the benchmark.
    ScopedErrorHandler onError([](const ErrorRecord& r) -> ErrorAction { fail("engine error: " + errorText(r)); });

    // ---- data, prepared outside the timings
    std::vector<Station> stations = makeStations(rows);
    std::mt19937_64 rng(0xc0ffee);
    std::vector<size_t> seekIdx(static_cast<size_t>(seeks));
    for (size_t& i : seekIdx) i = size_t(rng() % stations.size());
    std::vector<Value> seekValues;
    std::vector<std::string> seekTexts;
    long long expectedSeekSum = 0;
    for (size_t i : seekIdx) {
        seekValues.emplace_back(stations[i].clave);
        seekTexts.push_back(stations[i].clave);
        expectedSeekSum += stations[i].total;
    }
    std::vector<std::string> counts = countKeys();
    std::vector<Value> countValues(counts.begin(), counts.end());
    std::vector<long long> expectedScope(counts.size(), 0);
    long expectedVisited = 0;
    for (const Station& s : stations)
        for (size_t i = 0; i < counts.size(); ++i)
            if (s.clave.compare(0, 3, counts[i]) == 0) {
                expectedScope[i] += s.total * passes;
                expectedVisited += passes;
            }

    arrayRddRegister();
    std::printf("engine_vs_sqlite: %ld rows, %ld seeks, scope: %zu count keys x %ld passes (%ld rows walked);"
                " best of %ld runs\n",
                rows, seeks, counts.size(), passes, expectedVisited, repeat);

    // ---- store: each run starts from empty tables with their indexes (created untimed)
    double storeEngine = 1e300, storeSqlite = 1e300, storeByField = 1e300;
    sqlite3* db = nullptr;
    auto dropEngineTable = [] {
        DBCLOSEAREA();
        if (HB_ERASEARRAYRDD(Value("votos")) != 0) fail("engine: cannot erase the table");
    };
    for (long r = 0; r < repeat; ++r) {
        if (r > 0) dropEngineTable();
        engineCreate();
        storeByField = std::min(storeByField, engineStoreByField(stations));
        if (ORDKEYCOUNT() != rows) fail("engine: field-by-field store lost keys");
        dropEngineTable();
        engineCreate();
        storeEngine = std::min(storeEngine, engineStore(stations));
        if (ORDKEYCOUNT() != rows)
            fail("engine: casilla order holds " + std::to_string(ORDKEYCOUNT()) + " keys, expected " +
                 std::to_string(rows));
        if (LASTREC() != rows) fail("engine: LASTREC() differs from the rows stored");

        if (db) sqlite3_close(db);
        db = sqliteCreate();
        storeSqlite = std::min(storeSqlite, sqliteStore(db, stations));
        if (sqliteCount(db) != rows) fail("sqlite: row count differs from the rows stored");
    }
    requireIndex(db, kSeekSql);
    requireIndex(db, kScopeSql);

    // ---- seek
    double seekEngine = 1e300, seekSqlite = 1e300;
    for (long r = 0; r < repeat; ++r) {
        long long seekSumEngine = 0, seekSumSqlite = 0;
        seekEngine = std::min(seekEngine, engineSeek(seekValues, seekSumEngine));
        seekSqlite = std::min(seekSqlite, sqliteSeek(db, seekTexts, seekSumSqlite));
        if (seekSumEngine != expectedSeekSum || seekSumSqlite != expectedSeekSum)
            fail("seek sums differ: engine " + std::to_string(seekSumEngine) + ", sqlite " +
                 std::to_string(seekSumSqlite) + ", expected " + std::to_string(expectedSeekSum));
    }

    // ---- scope
    double scopeEngine = 1e300, scopeSqlite = 1e300;
    for (long r = 0; r < repeat; ++r) {
        std::vector<long long> scopeEngineSums, scopeSqliteSums;
        long visitedEngine = 0, visitedSqlite = 0;
        scopeEngine = std::min(scopeEngine, engineScope(countValues, int(passes), scopeEngineSums, visitedEngine));
        scopeSqlite = std::min(scopeSqlite, sqliteScope(db, counts, int(passes), scopeSqliteSums, visitedSqlite));
        for (size_t i = 0; i < counts.size(); ++i)
            if (scopeEngineSums[i] != expectedScope[i] || scopeSqliteSums[i] != expectedScope[i])
                fail("scope sums differ for " + counts[i] + ": engine " + std::to_string(scopeEngineSums[i]) +
                     ", sqlite " + std::to_string(scopeSqliteSums[i]) + ", expected " +
                     std::to_string(expectedScope[i]));
        if (visitedEngine != expectedVisited || visitedSqlite != expectedVisited)
            fail("scope walks visited " + std::to_string(visitedEngine) + " (engine) and " +
                 std::to_string(visitedSqlite) + " (sqlite) rows, expected " + std::to_string(expectedVisited));
    }

    sqlite3_close(db);
    DBCLOSEALL();

    // ---- recall (engine only)
    double recallSmall = 1e300, recallLarge = 1e300;
    for (long r = 0; r < std::max(repeat, 5L); ++r)  // short runs: more of them against the noise
        recallSmall = std::min(recallSmall, engineRecall(5000));
    for (long r = 0; r < std::max(repeat, 5L); ++r) recallLarge = std::min(recallLarge, engineRecall(20000));

    printSide("store", "engine", storeEngine, rows, "row");
    printSide("store", "sqlite", storeSqlite, rows, "row");
    printSide("store", "engine, one FIELDPUT per field", storeByField, rows, "row");
    printSide("seek", "engine", seekEngine, seeks, "seek");
    printSide("seek", "sqlite", seekSqlite, seeks, "seek");
    printSide("scope", "engine", scopeEngine, expectedVisited, "row");
    printSide("scope", "sqlite", scopeSqlite, expectedVisited, "row");
    std::printf("ratio store engine/sqlite = %.2f\n", storeEngine / storeSqlite);
    std::printf("ratio seek engine/sqlite = %.2f\n", seekEngine / seekSqlite);
    printSide("recall", "engine, 5k", recallSmall, 5000, "row");
    printSide("recall", "engine, 20k", recallLarge, 20000, "row");
    std::printf("ratio scope engine/sqlite = %.2f\n", scopeEngine / scopeSqlite);
    std::printf("ratio recall 20k/5k = %.2f\n", recallLarge / recallSmall);
    return 0;
}
