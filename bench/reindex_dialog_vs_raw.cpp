// "Generar índices" as the operator runs it against the disk driver's plain build of the
// same tags: the 16 declared tags of "casillas", "colonias" and "padron" rebuilt through the
// index generation dialog (offscreen, automatic mode, a meter over each cell refreshed
// every 25 records, each index file built beside the table and put in place), and the same
// tags created one after another on each table opened exclusively after its index file was
// deleted. Making the rows is not timed.
//
// Usage: reindex_dialog_vs_raw [--rows N] [--repeat N]
//   --rows    voters in the roll (default 1000000); the catalogue adds about 6,000 rows
//   --repeat  runs per side, taking turns at going first, the best is shown (default 2)
// Prints each side's time and last "ratio reindex-dialog/raw-build = X.XX". A tag whose
// key count differs between the sides aborts.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "App.h"
#include "TableLayer.h"
#include "arrayRdd.h"
#include "datosWriter.h"
#include "dbfCdxDriver.h"
#include "mainConfig.h"
#include "Text.h"
#include "rawTagBuild.h"
#include "uEntorno.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "reindex_dialog_vs_raw: %s\n", why.c_str());
    std::exit(1);
}

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The key count of every declared tag, in declared order, read from the index files.
std::vector<long> keyCounts() {
    std::vector<long> counts;
    std::string open;
    for (const DbfTagDecl& t : DBFTAGS()) {
        if (open != t.table) {
            if (!open.empty()) DBCLOSEAREA();
            if (!DBUSEAREA(true, "DBFCDX", t.table, "", true)) fail(std::string("cannot open ") + t.table);
            open = t.table;
        }
        ORDSETFOCUS(Value(t.tag));
        if (text::upper(ORDNAME()) != text::upper(t.tag)) fail(std::string("tag missing: ") + t.tag);
        counts.push_back(ORDKEYCOUNT());
    }
    DBCLOSEAREA();
    return counts;
}

double rawBuild(const std::string& folder) {
    auto start = Clock::now();
    tableSettings().autoOpen = false;
    buildTagsRaw(folder, DBFTAGS(), fail, [] {});
    tableSettings().autoOpen = true;
    return since(start);
}

double dialogBuild() {
    auto start = Clock::now();
    uEntorno entorno;
    for (const DbfTagDecl& t : DBFTAGS())
        entorno.addIndex(EntornoFile{.file = t.table, .privateArea = Value(false), .readOnly = Value(false)},
                         EntornoIndex{.key = t.key, .tag = t.tag, .forText = t.condition});
    entorno.reindex({.confirm = [](TMeter&, const std::string&) { return true; }});
    return since(start);
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t rows = 1000000;
    int repeat = 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--rows"))
            rows = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = std::max(1, std::atoi(argv[i + 1]));
        else
            fail(std::string("unknown option ") + argv[i]);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    appEnsure();
    arrayRddRegister();
    dbfCdxRegister();
    RDDSETDEFAULT("DBFCDX");
    char tmpl[] = "/tmp/urnalia_reindex_XXXXXX";
    if (!mkdtemp(tmpl)) fail("no temporary folder");
    std::string folder = tmpl;
    std::vector<datos::TableSummary> summary;
    if (Status s = datos::writeDatos({.folder = folder, .padronRows = rows}, &summary); !s.ok())
        fail(s.toString());
    tableSettings().defaultFolder = folder;
    tableSettings().exclusive = false;

    double bestRaw = 1e300, bestDialog = 1e300;
    std::vector<long> rawCounts, dialogCounts;
    // The sides take turns at going first, so that neither always finds the caches as the
    // other left them.
    for (int r = 0; r < repeat; ++r) {
        for (int side = 0; side < 2; ++side) {
            if ((side + r) % 2 == 0) {
                double t = rawBuild(folder);
                std::printf("run %d: raw build %.3f s\n", r + 1, t);
                bestRaw = std::min(bestRaw, t);
                rawCounts = keyCounts();
            } else {
                double t = dialogBuild();
                std::printf("run %d: dialog build %.3f s\n", r + 1, t);
                bestDialog = std::min(bestDialog, t);
                dialogCounts = keyCounts();
            }
        }
        if (rawCounts != dialogCounts) fail("the two builds disagree on a key count");
    }
    fs::remove_all(folder);
    std::printf("voters %llu, tags %zu\n", (unsigned long long)rows, DBFTAGS().size());
    std::printf("raw build     %8.3f s\n", bestRaw);
    std::printf("dialog build  %8.3f s\n", bestDialog);
    std::printf("ratio reindex-dialog/raw-build = %.2f\n", bestDialog / bestRaw);
    return 0;
}
