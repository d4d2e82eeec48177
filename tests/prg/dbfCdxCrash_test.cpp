// Crash safety of the disk driver: each workload runs in a child process that stops dead
// at its k-th change of the disk (a write, truncation, rename or removal; optionally with
// only half of that write landed), for every k. The parent then reopens the table and
// checks that every change the child finished is there, at most the one in progress is
// missing, and every tag agrees with the records and passes the structural check.
//
// Every crash point is tried, torn and clean; URNALIA_CRASH_SWEEP=spread tries every third
// point only (torn on alternate ones), for a quick run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <cstring>

#include "cdxCheck.h"
#include "fileIo.h"
#include "testSupport.h"

namespace fs = std::filesystem;

namespace {

struct Row {
    std::string clave;
    long votos = 0;
    bool activo = false;
    std::string nota;
    bool deleted = false;
    bool operator==(const Row&) const = default;
};
using Rows = std::vector<Row>;

// One committed change: what it does to the table and to the model of its rows.
struct Step {
    std::function<bool()> run;
    std::function<void(Rows&)> apply;
};

struct Workload {
    std::string name;
    int rows;  // rows of the table before the steps
    std::vector<Step> steps;
    // Open shared, while the checking copy keeps it open too and opens it once more after
    // the stop.
    bool shared = false;
};

std::string claveOf(int i) {
    static const char* names[] = {"ALVAREZ", "BENITEZ", "CASTRO", "DIAZ", "ESPINO", "FUENTES"};
    return std::string(names[i % 6]) + std::to_string(i % 37);
}

Row rowOf(int i) {
    return {claveOf(i), (i * 7919L) % 1000, i % 3 != 0, i % 4 == 0 ? "nota " + std::to_string(i) : "", false};
}

bool putRow(const Row& r) {
    return DBPUTREC({Value(r.clave), Value(double(r.votos)), Value(r.activo), Value(r.nota)});
}

Step appendStep(int i) {
    return {[i] { return DBAPPEND() && putRow(rowOf(i)); },
            [i](Rows& m) { m.push_back(rowOf(i)); }};
}

// Append and fill are two changes: the model shows the blank record in between.
std::vector<Step> appendSteps(int from, int n) {
    std::vector<Step> out;
    for (int i = from; i < from + n; ++i) {
        out.push_back({[] { return DBAPPEND(); }, [](Rows& m) { m.push_back({"", 0, false, "", false}); }});
        out.push_back({[i] { return putRow(rowOf(i)); }, [i](Rows& m) { m.back() = rowOf(i); }});
    }
    return out;
}

Step setClave(long rec, const std::string& clave) {
    return {[=] { return DBGOTO(rec) && RLOCK() && FIELDPUT(1, Value(clave)).text() == clave; },
            [=](Rows& m) { m[size_t(rec - 1)].clave = clave; }};
}

Step setDeleted(long rec, bool deleted) {
    return {[=] { return DBGOTO(rec) && RLOCK() && (deleted ? DBDELETE() : DBRECALL()); },
            [=](Rows& m) { m[size_t(rec - 1)].deleted = deleted; }};
}

std::vector<Workload> workloads() {
    std::vector<Workload> w;
    w.push_back({"append with memo and three tags", 30, appendSteps(100, 3)});
    // Keys squeezed into one leaf until it splits.
    Workload split{"key changes that split a leaf", 160, {}};
    for (int i = 0; i < 8; ++i) split.steps.push_back(setClave(1 + i * 13, "CASTRO9" + std::to_string(i)));
    w.push_back(split);
    w.push_back({"delete and recall", 40,
                 {setDeleted(3, true), setDeleted(17, true), setDeleted(3, false), setDeleted(40, true)}});
    Workload pack{"pack", 60, {setDeleted(2, true), setDeleted(31, true)}};
    pack.steps.push_back({[] { return DBPACK_(); }, [](Rows& m) {
                              m.erase(std::remove_if(m.begin(), m.end(), [](const Row& r) { return r.deleted; }),
                                      m.end());
                          }});
    w.push_back(pack);
    w.push_back({"zap", 50, {{[] { return DBZAP_(); }, [](Rows& m) { m.clear(); }}}});
    Workload shared{"shared: appends and key changes", 120, appendSteps(200, 2), true};
    shared.steps.push_back(setClave(7, "CASTRO90"));
    shared.steps.push_back(setDeleted(9, true));
    w.push_back(shared);
    w.push_back({"tag rebuild",
                 80,
                 {{[] { return ORDCREATE("", "VOTOS", "votos"); }, [](Rows&) {}},
                  {[] { return ORDCREATE("", "CLAVEDESC", "clave"); }, [](Rows&) {}},
                  {[] { return DBGOTO(5) && FIELDPUT(2, Value(4.0)).num() == 4; },
                   [](Rows& m) { m[4].votos = 4; }}}});
    return w;
}

// ---- the child's stop ----

uint64_t g_changes = 0;
uint64_t g_stopAt = 0;  // 0: only count
bool g_torn = false;

void stopAtChange(posixio::Change what, int fd, uint64_t off, std::string_view data) {
    if (++g_changes != g_stopAt) return;
    if (g_torn && what == posixio::Change::Write && fd >= 0 && data.size() > 1)
        (void)!::pwrite(fd, data.data(), data.size() / 2, off_t(off));
    ::_exit(0);
}

class DbfCdxCrash : public DiskTest {
  protected:
    const Structure structure{{"clave", 'C', 10, 0}, {"votos", 'N', 7, 0}, {"activo", 'L', 1, 0}, {"nota", 'M', 10, 0}};

    std::string tablePath(const std::string& dir) { return dir + "/votos"; }

    // The table before the steps, with its three tags, in `dir`.
    void makeTemplate(const std::string& dir, const Workload& w) {
        fs::create_directories(dir);
        ASSERT_TRUE(DBCREATE(tablePath(dir), structure, "DBFCDX"));
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", tablePath(dir), "T", false));
        for (int i = 0; i < w.rows; ++i) ASSERT_TRUE(DBAPPEND() && putRow(rowOf(i)));
        ASSERT_TRUE(ORDCREATE("", "CLAVE", "clave"));
        ASSERT_TRUE(ORDCREATE("", "VOTOS", "votos"));
        OrderCondition c;
        c.forText = "activo";
        ASSERT_TRUE(ORDCONDSET(c));
        ASSERT_TRUE(ORDCREATE("", "ACTIVOS", "clave"));
        DBCLOSEAREA();
    }

    // Runs the steps in a child that stops at change `stopAt` (0: never); the steps it
    // finished.
    size_t runChild(const std::string& dir, const Workload& w, uint64_t stopAt, bool torn,
                    uint64_t* changes = nullptr) {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            g_changes = 0;
            g_stopAt = stopAt;
            g_torn = torn;
            bool opened = DBUSEAREA(true, "DBFCDX", tablePath(dir), "C", w.shared) && (!w.shared || FLOCK());
            posixio::setChangeHook(stopAtChange);
            for (const Step& step : w.steps) {
                if (!opened || !step.run()) {
                    std::fprintf(stderr, "%s: step %zu failed: %s\n", w.name.c_str(), size_t(&step - &w.steps[0]),
                                 errors.empty() ? "" : errors.back().description.c_str());
                    ::_exit(2);
                }
                (void)!::write(fds[1], "s", 1);
            }
            uint64_t n = g_changes;
            (void)!::write(fds[1], &n, sizeof n);
            ::_exit(0);
        }
        ::close(fds[1]);
        std::string got;
        char buf[64];
        for (ssize_t r; (r = ::read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, size_t(r));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << w.name << ": the child failed a step";
        size_t done = std::min(got.size(), w.steps.size());
        if (changes && got.size() >= w.steps.size() + sizeof(uint64_t))
            std::memcpy(changes, got.data() + w.steps.size(), sizeof(uint64_t));
        return done;
    }

    Rows readRows() {
        Rows rows;
        ORDSETFOCUS(Value(0.0));
        for (long r = 1; r <= LASTREC(); ++r) {
            DBGOTO(r);
            rows.push_back({FIELDGET(1).text(), long(FIELDGET(2).num()), FIELDGET(3).logical(),
                            FIELDGET(4).text(), DELETED()});
            while (!rows.back().clave.empty() && rows.back().clave.back() == ' ') rows.back().clave.pop_back();
        }
        return rows;
    }

    static std::string firstDifference(const Rows& got, const Rows& want) {
        if (got.size() != want.size())
            return " (" + std::to_string(got.size()) + " records, not " + std::to_string(want.size()) + ")";
        for (size_t i = 0; i < got.size(); ++i) {
            if (got[i] == want[i]) continue;
            const Row& g = got[i];
            return " (record " + std::to_string(i + 1) + " reads \"" + g.clave + "\" " + std::to_string(g.votos) +
                   (g.activo ? " .T. \"" : " .F. \"") + g.nota + "\"" + (g.deleted ? " deleted)" : ")");
        }
        return "";
    }

    // Every tag lists exactly the records its condition selects, in key order, and a seek
    // of each record's key finds that key. Empty when all is well.
    std::string checkTags(const std::string& dir, const Rows& rows) {
        int tags = 0;
        for (int t = 1; !ORDNAME(t).empty(); ++t) {
            ++tags;
            std::string name = ORDNAME(t);
            ORDSETFOCUS(Value(double(t)));
            bool byVotos = INDEXKEY(t) == "votos" || INDEXKEY(t) == "VOTOS";
            bool onlyActive = !ORDFOR(t).empty();
            std::vector<long> expected, walked;
            for (size_t i = 0; i < rows.size(); ++i)
                if (!onlyActive || rows[i].activo) expected.push_back(long(i + 1));
            auto keyOf = [&](long rec) {
                const Row& r = rows[size_t(rec - 1)];
                return byVotos ? std::to_string(1000000 + r.votos) : r.clave;
            };
            std::stable_sort(expected.begin(), expected.end(),
                             [&](long a, long b) { return keyOf(a) < keyOf(b); });
            for (DBGOTOP(); !EOF_() && walked.size() <= rows.size(); DBSKIP()) walked.push_back(RECNO());
            if (walked != expected) return "tag " + name + " does not list the records in order";
            if (ORDKEYCOUNT() != long(expected.size())) return "tag " + name + " counts wrong";
            for (long rec : expected) {
                const Row& r = rows[size_t(rec - 1)];
                Value key = byVotos ? Value(double(r.votos)) : Value(r.clave);
                if (!DBSEEK(key) || keyOf(RECNO()) != keyOf(rec))
                    return "tag " + name + ": the key of record " + std::to_string(rec) + " is not found";
            }
        }
        if (tags < 3) return "the index lost tags";
        std::unique_ptr<cdx::CdxReader> reader;
        std::unique_ptr<File> f;
        Status st = openFile(tablePath(dir) + ".cdx", OpenMode::ReadOnly, &f);
        if (st.ok()) st = cdx::CdxReader::open(std::move(f), &reader);
        if (st.ok()) {
            for (size_t i = 0; i < reader->tags().size(); ++i)
                if (reader->tags()[i].name == "VOTOS") reader->setKeyFill(i, '\0');
            cdx::CdxCheckStats stats;
            st = cdx::checkCdx(*reader, &stats);
        }
        return st.ok() ? "" : st.message();
    }

    // Reopens the table after a stop and checks it against the models of `done` and
    // `done + 1` steps; empty when it holds.
    std::string verify(const std::string& dir, const Workload& w, size_t done) {
        std::vector<Rows> models(1);
        for (int i = 0; i < w.rows; ++i) models[0].push_back(rowOf(i));
        for (const Step& s : w.steps) {
            models.push_back(models.back());
            s.apply(models.back());
        }
        errors.clear();
        // With another copy still holding the table open, the next open is a shared one.
        bool others = w.shared && USED();
        if (!DBUSEAREA(true, "DBFCDX", tablePath(dir), "V", others))
            return "the table does not open: " + (errors.empty() ? "" : errors.back().description);
        Rows rows = readRows();
        std::string problem;
        if (rows != models[done] && (done + 1 >= models.size() || rows != models[done + 1]))
            problem = "the records are neither those of " + std::to_string(done) + " steps nor of one more" +
                      firstDifference(rows, models[done]);
        if (problem.empty()) problem = checkTags(dir, rows);
        if (problem.empty() && !errors.empty()) problem = "the table gave an error: " + errors.back().description;
        if (problem.empty() && fs::exists(tablePath(dir) + ".dbf.jnl")) problem = "the journal was left behind";
        DBCLOSEALL();
        return problem;
    }

    struct Tally {
        int points = 0, lost = 0, inconsistent = 0;
    };

    Tally sweep(const Workload& w, bool all) {
        Tally t;
        std::string base = folder + "/template";
        makeTemplate(base, w);
        std::string dir = folder + "/run";
        fs::remove_all(dir);
        fs::copy(base, dir);
        uint64_t total = 0;
        runChild(dir, w, 0, false, &total);
        uintmax_t indexBefore = fs::file_size(base + "/votos.cdx"), indexAfter = fs::file_size(dir + "/votos.cdx");
        std::string whole = verify(dir, w, w.steps.size());
        EXPECT_EQ(whole, "") << w.name << " without a stop";
        EXPECT_GT(total, 0u);
        for (uint64_t k = 1; k <= total; ++k) {
            for (int torn = 0; torn < 2; ++torn) {
                if (!all && (k % 3 != 1 || torn != int(k / 3 % 2))) continue;
                fs::remove_all(dir);
                fs::copy(base, dir);
                if (w.shared) EXPECT_TRUE(DBUSEAREA(true, "DBFCDX", tablePath(dir), "T", true));
                size_t done = runChild(dir, w, k, torn);
                std::string problem = verify(dir, w, done);
                ++t.points;
                if (problem.empty()) continue;
                bool lost = problem.rfind("the records", 0) == 0 || problem.rfind("the table", 0) == 0;
                ++(lost ? t.lost : t.inconsistent);
                ADD_FAILURE() << w.name << ", stopped at change " << k << (torn ? " (torn)" : "") << " after "
                              << done << " steps: " << problem;
            }
        }
        std::printf("%-34s %4llu changes %4d crash points  %d lost  %d inconsistent  (index %ju -> %ju bytes)\n",
                    w.name.c_str(), (unsigned long long)total, t.points, t.lost, t.inconsistent, indexBefore,
                    indexAfter);
        return t;
    }
};

TEST_F(DbfCdxCrash, EveryWorkloadSurvivesAStopAtAnyChange) {
    const char* env = std::getenv("URNALIA_CRASH_SWEEP");
    bool all = !env || std::string(env) != "spread";
    for (const Workload& w : workloads()) {
        fs::remove_all(folder + "/template");
        sweep(w, all);
    }
}

}  // namespace
