// The 16 index tags of the "datos" tables built by the disk driver DBFCDX against the same
// indexes in an SQLite database file holding the same rows (expression indexes, partial
// where the tag has a condition), then random seeks of names in the "padron" tag "paterno"
// against indexed SQLite lookups. Making the rows is not timed.
//
//   build   each table opened exclusively, its compound index deleted, its tags created in
//           the declared order, the table closed (DBFCDX); the CREATE INDEX statements of
//           the same keys in one transaction (SQLite)
//   seek    N lookups of the full name of random live voters, reading their "clave"
//   keyno   (DBFCDX only) ORDKEYNO() and ORDKEYCOUNT() on the "paterno" tag after a move to
//           a random live voter, on the roll and on a roll of 20,000 voters (its "paterno"
//           tag built untimed); the ratio of the two shows how the cost grows with the tag
//
// Usage: dbfcdx_vs_sqlite [--rows N] [--seeks N] [--keynos N] [--keep FOLDER]
//   --rows   voters in the roll (default 1000000); the catalogue adds about 6,000 rows
//   --seeks  lookups (default 100000)
//   --keynos position and count pairs asked on each roll (default 2000)
// Prints each side's times, the peak memory after the DBFCDX build, the structural check
// of the indexes written, and last the ratio lines (DBFCDX time / SQLite time, and the
// key positions on the large roll / on the small one). A key count or a lookup on which
// the sides disagree aborts, and so does a key position that differs from a walk.
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "TableLayer.h"
#include "rawTagBuild.h"
#include "cdxCheck.h"
#include "datosSqlite.h"
#include "datosWriter.h"
#include "dbfCdxDriver.h"

namespace fs = std::filesystem;
using bench::exec;
using bench::fail;

namespace {

using Clock = std::chrono::steady_clock;

struct TagDecl {
    const char* table;
    const char* tag;
    const char* key;
    const char* condition;
    const char* sqlKey;  // the same key as an SQLite expression
};

// The tags of the data folder, in the declared order; SQLite holds texts without the
// blanks that pad DBF fields, so "-" and "+" both become "||" there.
const TagDecl kTags[] = {
    {"casillas", "casilla", "strZero(casilla,4)+tipo", "!deleted()", "printf('%04d',casilla)||tipo"},
    {"casillas", "tipo", "left(tipo,1)+strZero(casilla,4)+right(tipo,1)", "!deleted()",
     "substr(tipo,1,1)||printf('%04d',casilla)||substr(tipo,-1)"},
    {"casillas", "del_cas", "strZero(municipio,3)+strZero(casilla,4)+tipo", "!deleted()",
     "printf('%03d%04d',municipio,casilla)||tipo"},
    {"casillas", "del_tipo", "strZero(municipio,3)+left(tipo,1)+strZero(casilla,4)+right(tipo,1)",
     "!deleted()", "printf('%03d',municipio)||substr(tipo,1,1)||printf('%04d',casilla)||substr(tipo,-1)"},
    {"colonias", "mun_col", "strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)", "!deleted()",
     "printf('%02d%03d%03d',estado,municipio,colonia)"},
    {"colonias", "mun_nom", "strZero(estado,2)+strZero(municipio,3)+nombre", "!deleted()",
     "printf('%02d%03d',estado,municipio)||nombre"},
    {"colonias", "d_l_col", "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)",
     "!deleted()", "printf('%02d%02d%03d%03d',d_local,estado,municipio,colonia)"},
    {"colonias", "d_l_nom", "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+nombre", "!deleted()",
     "printf('%02d%02d%03d',d_local,estado,municipio)||nombre"},
    {"colonias", "d_f_col", "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)",
     "!deleted()", "printf('%02d%02d%03d%03d',d_federal,estado,municipio,colonia)"},
    {"colonias", "d_f_nom", "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+nombre",
     "!deleted()", "printf('%02d%02d%03d',d_federal,estado,municipio)||nombre"},
    {"colonias", "nombre", "nombre", "!deleted()", "nombre"},
    {"padron", "paterno", "paterno-(\" \"+materno)-(\" \"+nombre)", "!deleted()",
     "paterno||' '||materno||' '||nombre"},
    {"padron", "nombre", "nombre-(\" \"+paterno)-(\" \"+materno)", "!deleted()",
     "nombre||' '||paterno||' '||materno"},
    {"padron", "clave", "clave", "!deleted()", "clave"},
    {"padron", "cumple", "subStr(clave,9,4)", "!deleted()", "substr(clave,9,4)"},
    {"padron", "deleted", "deleted()", "deleted()", "deleted"},
};

std::string sqlWhere(const TagDecl& t) {
    return std::strcmp(t.condition, "deleted()") == 0 ? "deleted=1" : "deleted=0";
}

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Builds every tag with the disk driver; answers each tag's key count.
std::vector<long> buildDbf(const std::string& folder) {
    tableSettings().defaultFolder = folder;
    tableSettings().autoOpen = false;
    std::vector<long> counts;
    buildTagsRaw(folder, kTags, fail, [&] { counts.push_back(ORDKEYCOUNT()); });
    return counts;
}

std::vector<long> buildSqlite(sqlite3* db) {
    exec(db, "BEGIN");
    for (const TagDecl& t : kTags)
        exec(db, std::string("CREATE INDEX ") + t.table + "_" + t.tag + " ON " + t.table + "(" + t.sqlKey +
                     ") WHERE " + sqlWhere(t));
    exec(db, "COMMIT");
    std::vector<long> counts;
    for (const TagDecl& t : kTags) {
        sqlite3_stmt* st = nullptr;
        std::string sql = std::string("SELECT count(*) FROM ") + t.table + " WHERE " + sqlWhere(t);
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        sqlite3_step(st);
        counts.push_back(long(sqlite3_column_int64(st, 0)));
        sqlite3_finalize(st);
    }
    return counts;
}

// Full names of random live voters, as the "paterno" tag's key begins.
std::vector<std::string> soughtNames(sqlite3* db, long count) {
    const TagDecl& paterno = kTags[11];
    sqlite3_stmt* st = nullptr;
    std::string sql = std::string("SELECT ") + paterno.sqlKey + " FROM padron WHERE deleted=0";
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    std::vector<std::string> all;
    while (sqlite3_step(st) == SQLITE_ROW) all.emplace_back((const char*)sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    if (all.empty()) fail("the roll has no live voter");
    std::mt19937_64 rng(2026);
    std::vector<std::string> names;
    for (long i = 0; i < count; ++i) names.push_back(all[rng() % all.size()]);
    return names;
}

long seekDbf(const std::string& folder, const std::vector<std::string>& names, size_t* bytes) {
    tableSettings().autoOpen = true;
    if (!DBUSEAREA(true, "DBFCDX", folder + "/padron", "", true, true)) fail("cannot open padron");
    ORDSETFOCUS(Value("paterno"));
    long found = 0;
    for (const std::string& n : names) {
        if (!DBSEEK(Value(n))) continue;
        ++found;
        *bytes += FIELDGET(4).text().size();
    }
    DBCLOSEAREA();
    return found;
}

long seekSqlite(sqlite3* db, const std::vector<std::string>& names, size_t* bytes) {
    sqlite3_stmt* st = nullptr;
    std::string sql = std::string("SELECT clave FROM padron WHERE ") + kTags[11].sqlKey +
                      " = ?1 AND deleted=0 LIMIT 1";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) fail(sqlite3_errmsg(db));
    long found = 0;
    for (const std::string& n : names) {
        sqlite3_bind_text(st, 1, n.data(), int(n.size()), SQLITE_STATIC);
        if (sqlite3_step(st) == SQLITE_ROW) {
            ++found;
            *bytes += size_t(sqlite3_column_bytes(st, 0));
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    return found;
}

// Seconds that `pairs` ORDKEYNO() + ORDKEYCOUNT() pairs take on the "paterno" tag of
// folder/padron, each after a move to a random live voter (the move not timed); the first
// pairs of the small roll are checked against a walk of the tag.
double keynoDbf(const std::string& folder, long pairs, bool check) {
    tableSettings().autoOpen = true;
    if (!DBUSEAREA(true, "DBFCDX", folder + "/padron", "", true, true)) fail("cannot open padron");
    ORDSETFOCUS(Value("paterno"));
    std::vector<long> walk;  // record numbers in tag order
    if (check)
        for (DBGOTOP(); !EOF_(); DBSKIP(1)) walk.push_back(RECNO());
    std::mt19937_64 rng(7);
    long count = ORDKEYCOUNT();  // the counts are made once, untimed
    double seconds = 0;
    for (long i = 0; i < pairs; ++i) {
        long rec = long(rng() % uint64_t(LASTREC())) + 1;
        DBGOTO(rec);
        if (DELETED()) continue;
        auto start = Clock::now();
        long no = ORDKEYNO();
        long n = ORDKEYCOUNT();
        seconds += since(start);
        if (n != count || no < 1 || no > n) fail("key position " + std::to_string(no) + " of " + std::to_string(n));
        if (check && i < 200 && walk[size_t(no - 1)] != rec)
            fail("record " + std::to_string(rec) + " is not key number " + std::to_string(no));
    }
    if (check && long(walk.size()) != count) fail("the walk and the key count disagree");
    DBCLOSEAREA();
    return seconds;
}

// The "paterno" tag of a roll of `rows` voters in `folder`.
void smallRoll(const std::string& folder, uint64_t rows) {
    std::vector<datos::TableSummary> summary;
    Status st = datos::writeDatos({.folder = folder, .padronRows = rows}, &summary);
    if (!st.ok()) fail(st.toString());
    tableSettings().defaultFolder = folder;
    tableSettings().autoOpen = false;
    if (!DBUSEAREA(true, "DBFCDX", "padron", "", false)) fail("cannot open the small padron");
    ORDCONDSET({.forText = kTags[11].condition});
    if (!ORDCREATE("", kTags[11].tag, kTags[11].key)) fail("cannot build the small paterno tag");
    DBCLOSEAREA();
}

std::string shortCount(uint64_t n) {
    if (n >= 1000000 && n % 1000000 == 0) return std::to_string(n / 1000000) + "m";
    if (n >= 1000 && n % 1000 == 0) return std::to_string(n / 1000) + "k";
    return std::to_string(n);
}

// The structural checker over each index written; binary keys do not occur in these tags.
std::string checkIndexes(const std::string& folder) {
    for (const char* table : {"casillas", "colonias", "padron"}) {
        std::unique_ptr<File> f;
        std::unique_ptr<cdx::CdxReader> r;
        cdx::CdxCheckStats stats;
        std::string path = folder + "/" + table + ".cdx";
        Status s = openFile(path, OpenMode::ReadOnly, &f);
        if (s.ok()) s = cdx::CdxReader::open(std::move(f), &r);
        if (s.ok()) s = cdx::checkCdx(*r, &stats);
        if (!s.ok()) return s.message();
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t rows = 1000000;
    long seeks = 100000;
    long keynos = 2000;
    std::string keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rows") == 0) rows = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--seeks") == 0) seeks = std::atol(argv[i + 1]);
        if (std::strcmp(argv[i], "--keynos") == 0) keynos = std::atol(argv[i + 1]);
        if (std::strcmp(argv[i], "--keep") == 0) keep = argv[i + 1];
    }
    char tmpl[] = "/tmp/urnalia_dbfcdx_bench_XXXXXX";
    if (!mkdtemp(tmpl)) fail("cannot make a temporary folder");
    std::string folder = keep.empty() ? std::string(tmpl) : keep;
    fs::create_directories(folder);
    dbfCdxRegister();

    std::vector<datos::TableSummary> summary;
    Status st = datos::writeDatos({.folder = folder, .padronRows = rows}, &summary);
    if (!st.ok()) fail(st.toString());
    bench::writeSqlite(folder + "/datos.sqlite", rows);
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + "/datos.sqlite").c_str(), &db) != SQLITE_OK) fail("cannot open SQLite");

    auto start = Clock::now();
    std::vector<long> dbfCounts = buildDbf(folder);
    double dbfBuild = since(start);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    start = Clock::now();
    std::vector<long> sqlCounts = buildSqlite(db);
    double sqlBuild = since(start);
    for (size_t i = 0; i < dbfCounts.size(); ++i)
        if (dbfCounts[i] != sqlCounts[i])
            fail(std::string("tag ") + kTags[i].tag + ": " + std::to_string(dbfCounts[i]) + " keys against " +
                 std::to_string(sqlCounts[i]));
    std::string check = checkIndexes(folder);

    std::vector<std::string> names = soughtNames(db, seeks);
    size_t dbfBytes = 0, sqlBytes = 0;
    start = Clock::now();
    long dbfFound = seekDbf(folder, names, &dbfBytes);
    double dbfSeek = since(start);
    start = Clock::now();
    long sqlFound = seekSqlite(db, names, &sqlBytes);
    double sqlSeek = since(start);
    sqlite3_close(db);

    uint64_t smallRows = std::min<uint64_t>(rows, 20000);
    smallRoll(folder + "/small", smallRows);
    double keynoLarge = 1e300, keynoSmall = 1e300;
    for (int r = 0; r < 3; ++r) {
        keynoLarge = std::min(keynoLarge, keynoDbf(folder, keynos, false));
        keynoSmall = std::min(keynoSmall, keynoDbf(folder + "/small", keynos, r == 0));
    }
    if (keep.empty()) fs::remove_all(folder);
    if (dbfFound != seeks || sqlFound != seeks || dbfBytes != sqlBytes)
        fail("seeks found " + std::to_string(dbfFound) + " and " + std::to_string(sqlFound) + " of " +
             std::to_string(seeks));

    std::printf("rows: padron %llu, casillas %llu, colonias %llu\n", (unsigned long long)rows,
                (unsigned long long)summary[0].rows, (unsigned long long)summary[1].rows);
    std::printf("build-16-tags dbfcdx %8.3f s\n", dbfBuild);
    std::printf("build-16-tags sqlite %8.3f s\n", sqlBuild);
    std::printf("peak memory after the dbfcdx build: %ld MB\n", usage.ru_maxrss / 1024);
    std::printf("structural check of the indexes: %s\n", check.empty() ? "OK" : check.c_str());
    std::printf("seek-padron   dbfcdx %8.3f s  %8.0f seeks/s\n", dbfSeek, double(seeks) / dbfSeek);
    std::printf("seek-padron   sqlite %8.3f s  %8.0f seeks/s\n", sqlSeek, double(seeks) / sqlSeek);
    std::printf("keyno-keycount %-5s %8.3f s  %8.1f us/pair\n", shortCount(rows).c_str(), keynoLarge,
                keynoLarge * 1e6 / double(keynos));
    std::printf("keyno-keycount %-5s %8.3f s  %8.1f us/pair\n", shortCount(smallRows).c_str(), keynoSmall,
                keynoSmall * 1e6 / double(keynos));
    std::printf("ratio build-16-tags dbfcdx/sqlite = %.2f\n", dbfBuild / sqlBuild);
    std::printf("ratio seek-padron dbfcdx/sqlite = %.2f\n", dbfSeek / sqlSeek);
    std::printf("ratio keyno-keycount %s/%s = %.2f\n", shortCount(rows).c_str(), shortCount(smallRows).c_str(),
                keynoLarge / keynoSmall);
    return check.empty() ? 0 : 1;
}
