// "Generar índices" over a small data folder: the dialog's marks decide what is rebuilt and
// compacted, every rebuilt index passes the structural check and lists its records in key
// order, a table another process holds is refused untouched, a missing table is reported
// while the others are rebuilt, and a rebuild stopped at any change leaves the old index,
// the new one, or none, reported when the table opens.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "GuiHarness.h"
#include "Text.h"
#include "cdxCheck.h"
#include "mainConfig.h"
#include "testSupport.h"
#include "uEntorno.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Key values as texts that sort as the keys do.
std::string keyText(const Value& v) {
    if (v.isLogical()) return v.logical() ? "T" : "F";
    if (v.isNumber()) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%030.6f", v.num());
        return buf;
    }
    return v.toText();
}

class Reindex : public DiskTest {
  protected:
    void SetUp() override {
        DiskTest::SetUp();
        makeTables(40);
    }

    // The three tables of the data folder, with every third row deleted, and an index file
    // of one stale tag each.
    void makeTables(int rows) {
        const char* names[] = {"ALVAREZ", "BENITEZ", "CASTRO", "DIAZ", "ESPINO", "FUENTES", "GOMEZ"};
        struct Table {
            const char* name;
            Structure fields;
            std::function<void(int)> fill;
        };
        const Table tables[] = {
            {"casillas", {{"casilla", 'N', 4, 0}, {"tipo", 'C', 2, 0}, {"municipio", 'N', 3, 0}}, [](int i) {
                 FIELDPUT(1, Value(double((i * 37) % 500)));
                 FIELDPUT(2, Value(i % 2 ? "B1" : "C2"));
                 FIELDPUT(3, Value(double(i % 17)));
             }},
            {"colonias",
             {{"estado", 'N', 2, 0}, {"municipio", 'N', 3, 0}, {"colonia", 'N', 3, 0}, {"d_local", 'N', 2, 0},
              {"d_federal", 'N', 2, 0}, {"nombre", 'C', 30, 0}},
             [&](int i) {
                 for (int f = 1; f <= 5; ++f) FIELDPUT(f, Value(double((i * (f + 3)) % 30)));
                 FIELDPUT(6, Value(std::string(names[(i * 3) % 7]) + " " + std::to_string(i)));
             }},
            {"padron", {{"paterno", 'C', 20, 0}, {"materno", 'C', 20, 0}, {"nombre", 'C', 20, 0}, {"clave", 'C', 18, 0}},
             [&](int i) {
                 FIELDPUT(1, Value(names[i % 7]));
                 FIELDPUT(2, Value(names[(i / 7) % 7]));
                 FIELDPUT(3, Value(names[(i * 5) % 7]));
                 FIELDPUT(4, Value("CLAVE" + std::to_string(100000 + (i * 7919) % 90000) + "X"));
             }},
        };
        for (const Table& t : tables) {
            ASSERT_TRUE(DBCREATE(t.name, t.fields, "DBFCDX"));
            ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", t.name, "T", false));
            for (int i = 0; i < rows; ++i) {
                ASSERT_TRUE(DBAPPEND());
                t.fill(i);
                if (i % 3 == 0) DBDELETE();
            }
            ASSERT_TRUE(ORDCREATE("", "VIEJO", "recno()"));
            DBCLOSEAREA();
        }
    }

    std::string cdx(const std::string& table) { return folder + "/" + table + ".cdx"; }

    // Empty when every tag of `table` passes the structural check and lists exactly the
    // records its condition selects, in the order of its key.
    std::string checkIndex(const std::string& table, std::vector<std::string>* tags = nullptr) {
        if (!DBUSEAREA(true, "DBFCDX", table, "CHK", true)) return "does not open";
        std::string problem;
        for (int t = 1; problem.empty() && !ORDNAME(t).empty(); ++t) {
            if (tags) tags->push_back(ORDNAME(t));
            ORDSETFOCUS(Value(double(t)));
            Block key = compileBlock(INDEXKEY(t));
            Block cond = ORDFOR(t).empty() ? Block() : compileBlock(ORDFOR(t));
            long selected = 0;
            for (long r = 1; r <= LASTREC(); ++r) {
                DBGOTO(r);
                if (!cond || cond().logical()) ++selected;
            }
            long walked = 0;
            std::string last;
            for (DBGOTOP(); !EOF_() && walked <= selected; DBSKIP(), ++walked) {
                std::string k = keyText(key());
                if (k < last) problem = ORDNAME(t) + " out of order at record " + std::to_string(RECNO());
                if (cond && !cond().logical()) problem = ORDNAME(t) + " lists record " + std::to_string(RECNO());
                last = k;
            }
            if (walked != selected) problem = ORDNAME(t) + " lists " + std::to_string(walked) + " of " +
                                              std::to_string(selected);
        }
        DBCLOSEAREA();
        if (!problem.empty()) return problem;
        std::unique_ptr<File> f;
        std::unique_ptr<cdx::CdxReader> reader;
        Status st = openFile(cdx(table), OpenMode::ReadOnly, &f);
        if (st.ok()) st = cdx::CdxReader::open(std::move(f), &reader);
        cdx::CdxCheckStats stats;
        if (st.ok()) st = cdx::checkCdx(*reader, &stats);
        return st.ok() ? "" : st.message();
    }

    std::vector<std::string> declaredTags(const std::string& table) {
        std::vector<std::string> out;
        for (const DbfTagDecl& d : DBFTAGS())
            if (table == d.table) out.push_back(text::upper(d.tag));
        return out;
    }

    long recordsOf(const std::string& table) {
        DBUSEAREA(true, "DBFCDX", table, "N", true);
        long n = LASTREC();
        DBCLOSEAREA();
        return n;
    }

    GuiHarness harness;
};

// Marks made with the keyboard in the list of tables: arrows move between rows and cells,
// Enter toggles the mark of the current cell.
void toggle(WindowView& v, int row, int col) {
    for (int i = 0; i < 3; ++i) v.key(Key::Up);
    for (int i = 0; i < 3; ++i) v.key(Key::Left);
    for (int i = 1; i < row; ++i) v.key(Key::Down);
    for (int i = 1; i < col; ++i) v.key(Key::Right);
    v.key(Key::Enter);
}

TEST_F(Reindex, TheMarksDecideWhatIsRebuiltAndCompacted) {
    std::string coloniasBefore = readAll(cdx("colonias"));
    std::vector<std::string> labels;
    std::string title;
    harness.onNextModal([&](WindowView& v) {
        title = v.title();
        labels = v.labels();
        toggle(v, 1, 2);  // casillas: index
        toggle(v, 2, 3);  // colonias: compact (marks the index too) ...
        toggle(v, 2, 2);  // ... and unmarking the index clears both
        toggle(v, 3, 3);  // padron: compact and index
        if (const char* dir = std::getenv("URNALIA_SHOTS")) v.grab(std::string(dir) + "/reindex-marks.png");
        v.press("&Generar");
        v.press("&Cancelar");
    });
    REINDEXAR();
    EXPECT_EQ(title, " Organización de archivos");
    EXPECT_EQ(labels, (std::vector<std::string>{"&Archivos", "&Indices"}));
    std::vector<std::string> tags;
    EXPECT_EQ(checkIndex("casillas", &tags), "");
    EXPECT_EQ(tags, declaredTags("casillas"));
    EXPECT_EQ(recordsOf("casillas"), 40);  // rebuilt, not compacted
    EXPECT_EQ(readAll(cdx("colonias")), coloniasBefore);
    tags.clear();
    EXPECT_EQ(checkIndex("padron", &tags), "");
    EXPECT_EQ(tags, declaredTags("padron"));
    EXPECT_EQ(recordsOf("padron"), 26);  // the 14 deleted rows are gone
    EXPECT_TRUE(errors.empty()) << errors.front().description;
}

TEST_F(Reindex, ALowerLevelCannotCompact) {
    struct Level2 : uUsuario {
        bool permiso(const std::string& option, int level) const override {
            return option == "indices" && level <= 2;
        }
    } user;
    uEntorno e;
    for (const DbfTagDecl& d : DBFTAGS())
        e.addIndex(EntornoFile{.file = d.table, .privateArea = Value(false)},
                   EntornoIndex{.key = d.key, .tag = d.tag, .forText = d.condition});
    harness.onNextModal([&](WindowView& v) {
        toggle(v, 3, 3);  // refused at level 2
        v.press("&Generar");
        v.press("&Cancelar");
    });
    std::string before = readAll(cdx("padron"));
    e.reindex({.level = Value("indices"), .user = &user});
    EXPECT_EQ(readAll(cdx("padron")), before);
    EXPECT_EQ(recordsOf("padron"), 40);
}

TEST_F(Reindex, AHeldTableIsRefusedUntouchedAndAMissingOneReportedWhileTheOthersAreRebuilt) {
    fs::remove(folder + "/colonias.dbf");
    std::string casillasBefore = readAll(cdx("casillas")), casillasTable = readAll(folder + "/casillas.dbf");
    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // another copy of the program, working on "casillas"
        char c = DBUSEAREA(true, "DBFCDX", "casillas", "OTRO", true) ? 'y' : 'n';
        (void)!write(toParent[1], &c, 1);
        (void)!read(toChild[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');

    std::vector<std::string> alert;
    std::vector<std::string> treated;
    harness.onNextModal([&](WindowView& v) {
        if (const char* dir = std::getenv("URNALIA_SHOTS")) v.grab(std::string(dir) + "/reindex-auto.png");
    });
    harness.onNextModal([](WindowView&) {});  // the confirmation meter of "casillas"
    harness.onNextModal([&](WindowView& v) {
        for (const std::string& l : v.labels())
            if (!l.empty()) alert.push_back(l);
        alert.push_back(v.title());
        v.key(Key::Escape);
    });
    uEntorno e;
    for (const DbfTagDecl& d : DBFTAGS())
        e.addIndex(EntornoFile{.file = d.table, .privateArea = Value(false)},
                   EntornoIndex{.key = d.key, .tag = d.tag, .forText = d.condition});
    e.reindex({.confirm = [&](TMeter&, const std::string& file) {
        treated.push_back(file);
        return true;
    }});
    (void)!write(toChild[1], "x", 1);
    waitpid(child, nullptr, 0);

    EXPECT_EQ(treated, (std::vector<std::string>{"CASILLAS.DBF", "COLONIAS.DBF", "PADRON.DBF"}));
    EXPECT_EQ(alert, (std::vector<std::string>{"El archivo CASILLAS.DBF no puede ser abierto de manera exclusiva",
                                                " Atención"}));
    EXPECT_EQ(readAll(cdx("casillas")), casillasBefore);
    EXPECT_EQ(readAll(folder + "/casillas.dbf"), casillasTable);
    ASSERT_FALSE(errors.empty());
    EXPECT_TRUE(std::any_of(errors.begin(), errors.end(), [](const ErrorRecord& r) {
        return text::upper(r.fileName).find("COLONIAS") != std::string::npos;
    }));
    std::vector<std::string> tags;
    EXPECT_EQ(checkIndex("padron", &tags), "");
    EXPECT_EQ(tags, declaredTags("padron"));
}

// ---- a rebuild stopped at every change -------------------------------------------------------

uint64_t g_changes = 0, g_stopAt = 0;
void stopAtChange(posixio::Change, int, uint64_t, std::string_view) {
    if (++g_changes == g_stopAt) ::_exit(0);
}

TEST_F(Reindex, ARebuildStoppedAnywhereLeavesTheOldIndexTheNewOneOrNoneReported) {
    std::vector<EntornoIndex> defs;
    for (const DbfTagDecl& d : DBFTAGS())
        if (std::string(d.table) == "casillas") defs.push_back({.key = d.key, .tag = d.tag, .forText = d.condition});
    const std::string pristine = folder + "/pristine";
    fs::create_directories(pristine);
    for (const char* f : {"casillas.dbf", "casillas.cdx"}) fs::copy_file(folder + "/" + f, pristine + "/" + f);
    for (bool compact : {false, true}) {
        bool finished = false;
        for (uint64_t k = 1; !finished && k < 400; ++k) {
            for (const char* f : {"casillas.dbf", "casillas.cdx"})
                fs::copy_file(pristine + "/" + f, folder + "/" + f, fs::copy_options::overwrite_existing);
            fs::remove(folder + "/casillas.cdx.new~");
            int fds[2];
            ASSERT_EQ(pipe(fds), 0);
            pid_t pid = fork();
            if (pid == 0) {
                tableSettings().autoOpen = false;
                bool ok = DBUSEAREA(true, "DBFCDX", "casillas", "C", false);
                g_changes = 0;
                g_stopAt = k;
                posixio::setChangeHook(stopAtChange);
                ok = ok && uEntorno::rebuildIndexes(defs, compact, [](size_t, const uEntorno::BuildStep& b) { b(nullptr); });
                (void)!write(fds[1], ok ? "d" : "f", 1);
                _exit(0);
            }
            close(fds[1]);
            char done = 0;
            finished = read(fds[0], &done, 1) == 1;
            close(fds[0]);
            waitpid(pid, nullptr, 0);
            ASSERT_TRUE(!finished || done == 'd');
            errors.clear();
            std::vector<std::string> tags;
            std::string problem = checkIndex("casillas", &tags);
            SCOPED_TRACE("compact " + std::to_string(compact) + ", stopped at change " + std::to_string(k));
            if (!fs::exists(cdx("casillas"))) {
                EXPECT_TRUE(compact && !finished);
                ASSERT_FALSE(errors.empty());  // the open says the index is missing
                EXPECT_NE(errors.front().description.find("production index missing"), std::string::npos);
                continue;
            }
            EXPECT_EQ(problem, "");
            if (finished) {
                EXPECT_EQ(tags, declaredTags("casillas"));
            } else if (tags != declaredTags("casillas")) {
                EXPECT_EQ(tags, std::vector<std::string>{"VIEJO"});
            }
            EXPECT_EQ(recordsOf("casillas"), compact && tags != std::vector<std::string>{"VIEJO"} ? 26 : 40);
        }
        EXPECT_TRUE(finished);
    }
}

}  // namespace
