// Orders of the disk driver where they live in files: random changes that keep every tag
// valid (checked against the records and by the structural checker), the production index
// opened with its table, two areas sharing an index, pack and zap, the index generator's
// steps, and compound indexes written by other programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "TableLayer.h"
#include "cdxCheck.h"
#include "dbfCdxFile.h"
#include "testSupport.h"

namespace fs = std::filesystem;

namespace {

class DbfCdxOrders : public DiskTest {
  protected:
    // The walk of `tag` from top to bottom, as record numbers.
    static std::vector<long> walk(const std::string& tag) {
        ORDSETFOCUS(Value(tag));
        std::vector<long> recs;
        for (DBGOTOP(); !EOF_(); DBSKIP(1)) recs.push_back(RECNO());
        return recs;
    }
    // What the walk of a tag must be: records that pass `keep`, by `key`, then number.
    template <class Key, class Keep>
    static std::vector<long> expected(Key key, Keep keep) {
        ORDSETFOCUS(Value(0));
        std::vector<std::pair<decltype(key()), long>> rows;
        for (DBGOTOP(); !EOF_(); DBSKIP(1))
            if (keep()) rows.push_back({key(), RECNO()});
        std::sort(rows.begin(), rows.end());
        std::vector<long> recs;
        for (auto& r : rows) recs.push_back(r.second);
        return recs;
    }
    // Runs the structural checker over a closed index; numeric and date tags by name.
    static std::string check(const std::string& path, const std::vector<std::string>& binary = {},
                             cdx::CdxCheckStats* stats = nullptr) {
        std::unique_ptr<File> f;
        if (!openFile(path, OpenMode::ReadOnly, &f).ok()) return "cannot open " + path;
        std::unique_ptr<cdx::CdxReader> r;
        Status s = cdx::CdxReader::open(std::move(f), &r);
        for (const std::string& b : binary)
            if (s.ok() && r->findTag(b) >= 0) r->setKeyFill(size_t(r->findTag(b)), '\0');
        cdx::CdxCheckStats local;
        if (s.ok()) s = cdx::checkCdx(*r, stats ? stats : &local);
        return s.ok() ? "" : s.message();
    }
};

TEST_F(DbfCdxOrders, RandomChangesKeepEveryTagValid) {
    ASSERT_TRUE(DBCREATE("azar", {{"nombre", 'C', 20, 0}, {"n", 'N', 7, 1}, {"d", 'D', 8, 0}}, "DBFCDX", true));
    ORDCONDSET({.forText = "!deleted()"});
    ASSERT_TRUE(ORDCREATE("", "nombre", "nombre"));
    ASSERT_TRUE(ORDCREATE("", "n", "n"));
    ASSERT_TRUE(ORDCREATE("", "d", "d"));
    ASSERT_TRUE(ORDCREATE("", "mezcla", "left(nombre,5) + str(n,7,1)"));
    std::mt19937 rng(20261208);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char* syllables[] = {"ra", "mi", "so", "ta", "lu", "pe", "co", "ña"};
    auto name = [&] {
        std::string s;
        for (int i = 0, n = 1 + pick(6); i < n; ++i) s += syllables[pick(8)];
        return s;
    };
    Block mixed = compileBlock("left(nombre,5) + str(n,7,1)");
    auto verify = [&](int step) {
        SCOPED_TRACE("step " + std::to_string(step));
        EXPECT_EQ(walk("nombre"), expected([] { return FIELDGET(1).text(); }, [] { return !DELETED(); }));
        EXPECT_EQ(walk("n"), expected([] { return FIELDGET(2).num(); }, [] { return true; }));
        EXPECT_EQ(walk("d"), expected([] { return FIELDGET(3).date().julian(); }, [] { return true; }));
        EXPECT_EQ(walk("mezcla"), expected([&] { return mixed().text(); }, [] { return true; }));
    };
    for (int step = 1; step <= 1600; ++step) {
        int op = pick(10);
        if (op < 5 || LASTREC() < 10) {
            ASSERT_TRUE(DBAPPEND());
            ASSERT_TRUE(DBPUTREC({Value(name()), Value((pick(20000) - 10000) / 10.0),
                                  Value(Date::fromYmd(2000 + pick(30), 1 + pick(12), 1 + pick(28)))}));
        } else {
            DBGOTO(1 + pick(int(LASTREC())));
            if (op < 8)
                FIELDPUT(1 + pick(2), pick(2) ? Value(name()) : Value(double(pick(500))));
            else if (op == 8)
                DELETED() ? DBRECALL() : DBDELETE();
            else
                FIELDPUT(3, Value(Date()));
        }
        if (step % 400 == 0) verify(step);
    }
    // Only the writes of a value of the wrong type were refused.
    for (const ErrorRecord& e : errors) EXPECT_EQ(e.genCode, EG_DATATYPE);
    ASSERT_TRUE(DBPACK_());
    verify(0);
    DBCLOSEAREA();
    cdx::CdxCheckStats stats;
    EXPECT_EQ(check(folder + "/azar.cdx", {"N", "D"}, &stats), "");
    ASSERT_EQ(stats.perTag.size(), 4u);
    for (const cdx::CdxTagStats& t : stats.perTag) EXPECT_GE(t.depth, 2) << t.name;
}

TEST_F(DbfCdxOrders, ProductionIndexOpensWithItsTable) {
    ASSERT_TRUE(DBCREATE("casillas", {{"casilla", 'N', 4, 0}, {"tipo", 'C', 2, 0}}, "DBFCDX", true));
    for (auto [c, t] : {std::pair{12, "B1"}, {3, "C1"}, {12, "C2"}}) {
        DBAPPEND();
        DBPUTREC({Value(c), Value(t)});
    }
    ORDCONDSET({.forText = "!deleted()"});
    ASSERT_TRUE(ORDCREATE("", "casilla", "strZero(casilla,4)+tipo"));
    ASSERT_TRUE(ORDCREATE("", "tipo", "left(tipo,1)+strZero(casilla,4)+right(tipo,1)"));
    DBCLOSEAREA();

    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "casillas", "", true));
    EXPECT_EQ(ORDSETFOCUS(Value("casilla")), "");  // opened in natural order
    EXPECT_EQ(INDEXKEY(), "strZero(casilla,4)+tipo");
    EXPECT_EQ(ORDFOR(), "!deleted()");
    EXPECT_EQ(INDEXEXT(), ".cdx");
    EXPECT_EQ(RDDINFO(RDDI_TABLEEXT, Value(), "DBFCDX").text(), ".dbf");
    EXPECT_EQ(DBORDERINFO(DBOI_BAGNAME).text(), folder + "/casillas.cdx");
    EXPECT_EQ(DBINFO(DBI_FULLPATH).text(), folder + "/casillas.dbf");
    EXPECT_TRUE(DBINFO(DBI_SHARED).logical());
    EXPECT_TRUE(DBSEEK(Value("0012C2")));
    EXPECT_EQ(RECNO(), 3);
    ORDSETFOCUS(Value(2));
    EXPECT_EQ(walk("tipo"), (std::vector<long>{1, 2, 3}));
    // A shared change takes the record lock and keeps both tags current.
    DBGOTO(2);
    ASSERT_TRUE(RLOCK());
    FIELDPUT(2, Value("B9"));
    DBUNLOCK();
    EXPECT_EQ(walk("tipo"), (std::vector<long>{2, 1, 3}));
    DBCLOSEAREA();
    EXPECT_EQ(check(folder + "/casillas.cdx"), "");
    // The table's header marks its structural index for other programs.
    std::unique_ptr<File> f;
    std::string flags;
    ASSERT_TRUE(openFile(folder + "/casillas.dbf", OpenMode::ReadOnly, &f).ok());
    ASSERT_TRUE(f->read(28, 1, &flags).ok());
    EXPECT_EQ(flags[0] & 1, 1);

    tableSettings().autoOpen = false;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "casillas", "", true));
    EXPECT_EQ(DBORDERINFO(DBOI_ORDERCOUNT).num(), 0);
    ORDLISTADD("casillas");
    EXPECT_EQ(ORDSETFOCUS(), "CASILLA");
    EXPECT_EQ(ORDKEYCOUNT(), 3);
}

TEST_F(DbfCdxOrders, SharedAreasSeeEachOthersKeys) {
    ASSERT_TRUE(DBCREATE("padron", {{"clave", 'C', 18, 0}}, "DBFCDX", true));
    ORDCONDSET({.forText = "!deleted()"});
    ASSERT_TRUE(ORDCREATE("", "clave", "clave"));
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "padron", "A", true));
    ORDSETFOCUS(Value("clave"));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "padron", "B", true));
    ORDSETFOCUS(Value("clave"));
    for (const char* k : {"GOMEZ", "ABAD", "MORA"}) {
        ASSERT_TRUE(DBAPPEND());
        FIELDPUT(1, Value(k));
    }
    DBCOMMIT();
    EXPECT_FALSE(DBSELECTAREA("A") && DBRLOCK(3));  // B still holds its last new record
    DBSELECTAREA("B");
    DBUNLOCK();
    DBSELECTAREA("A");
    EXPECT_EQ(ORDKEYCOUNT(), 3);
    EXPECT_TRUE(DBSEEK(Value("MORA")));
    EXPECT_EQ(RECNO(), 3);
    ASSERT_TRUE(RLOCK());
    DBDELETE();
    DBUNLOCK();
    DBSELECTAREA("B");
    EXPECT_EQ(ORDKEYCOUNT(), 2);
    EXPECT_FALSE(DBSEEK(Value("MORA")));
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET(1).text().substr(0, 5), "GOMEZ");
    // While another holds the index busy, a change is refused before the record is touched.
    int err = 0;
    auto busy = dbfcdx::TableFile::open(folder + "/padron.cdx", false, false, &err);
    ASSERT_TRUE(busy && busy->lock(0x7FFFFFFE, 1, dbfcdx::TableFile::Lock::Write));
    ASSERT_TRUE(RLOCK());
    EXPECT_TRUE(FIELDPUT(1, Value("ZUBIRI")).isNil());
    EXPECT_EQ(errors.back().genCode, EG_LOCK);
    EXPECT_EQ(FIELDGET(1).text().substr(0, 5), "GOMEZ");
    busy.reset();
    EXPECT_EQ(FIELDPUT(1, Value("ZUBIRI")).text(), "ZUBIRI");
    DBUNLOCK();
    EXPECT_TRUE(DBSEEK(Value("ZUBIRI")));
}

TEST_F(DbfCdxOrders, PackAndZapRebuildTheTags) {
    ASSERT_TRUE(DBCREATE("p", {{"n", 'N', 5, 0}}, "DBFCDX", true));
    for (int i = 1; i <= 300; ++i) {
        DBAPPEND();
        FIELDPUT(1, Value(301 - i));
        if (i % 3 == 0) DBDELETE();
    }
    ORDCONDSET({.forText = "deleted()"});
    ASSERT_TRUE(ORDCREATE("", "borrados", "deleted()"));
    ASSERT_TRUE(ORDCREATE("", "n", "n"));
    EXPECT_EQ(DBORDERINFO(DBOI_KEYCOUNT, "", Value("borrados")).num(), 100);
    ASSERT_TRUE(DBPACK_());
    EXPECT_EQ(LASTREC(), 200);
    EXPECT_EQ(DBORDERINFO(DBOI_KEYCOUNT, "", Value("borrados")).num(), 0);
    EXPECT_EQ(ORDSETFOCUS(), "N");  // the current order stays
    DBGOTOP();
    EXPECT_EQ(FIELDGET(1).num(), 2);  // 1 was deleted
    EXPECT_EQ(RECNO(), 200);
    EXPECT_TRUE(DBSEEK(Value(299)));
    EXPECT_EQ(RECNO(), 2);
    ASSERT_TRUE(DBZAP_());
    EXPECT_EQ(ORDKEYCOUNT(), 0);
    DBAPPEND();
    FIELDPUT(1, Value(5));
    EXPECT_TRUE(DBSEEK(Value(5)));
    DBCLOSEAREA();
    EXPECT_EQ(check(folder + "/p.cdx", {"N"}), "");
}

TEST_F(DbfCdxOrders, IndexGeneratorStepsRebuildADeletedIndex) {
    ASSERT_TRUE(DBCREATE("colonias", {{"estado", 'N', 2, 0}, {"nombre", 'C', 30, 0}}, "DBFCDX", true));
    for (const char* n : {"Roma Norte", "Condesa", "Del Valle"}) {
        DBAPPEND();
        DBPUTREC({Value(9), Value(n)});
    }
    ASSERT_TRUE(ORDCREATE("", "nombre", "nombre"));
    DBCLOSEAREA();
    // Opened exclusively without the production index, its file deleted, the tags built again.
    tableSettings().autoOpen = false;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "colonias", "", false));
    ORDLISTCLEAR();
    std::string path = DBINFO(DBI_FULLPATH).text();
    fs::remove(path.substr(0, path.size() - 4) + INDEXEXT());
    ORDCONDSET({.forText = "!deleted()"});
    ASSERT_TRUE(ORDCREATE("", "mun_nom", "strZero(estado,2)+nombre"));
    ASSERT_TRUE(ORDCREATE("", "nombre", "nombre"));
    EXPECT_EQ(DBORDERINFO(DBOI_ORDERCOUNT).num(), 2);
    EXPECT_EQ(walk("nombre"), (std::vector<long>{2, 3, 1}));
    // Tag names are checked before anything is built.
    EXPECT_FALSE(ORDCREATE("", "nombre largo", "nombre"));
    EXPECT_EQ(errors.back().genCode, EG_ARG);
    DBCLOSEAREA();
    EXPECT_EQ(check(folder + "/colonias.cdx"), "");
}

TEST_F(DbfCdxOrders, IndexesOfOtherProgramsWalkAndSeek) {
    const std::string samples = "/work/shared/formats/samples/dbd-xbase/";
    tableSettings().defaultFolder = samples;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "rooms", "", true, true));
    struct Row {
        const char* tag;
        long keys;
    } rows[] = {{"AUDIO", 13}, {"FACILITY", 42}, {"FILM", 6}, {"MAIN", 21}, {"ROOMNAME", 42}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.tag);
        EXPECT_EQ(long(walk(r.tag).size()), r.keys);
        EXPECT_EQ(ORDKEYCOUNT(), r.keys);
    }
    ORDSETFOCUS(Value("roomname"));
    ASSERT_TRUE(DBSEEK(Value("Bay  1")));
    EXPECT_EQ(FIELDGET(1).text(), "Bay  1    ");
    DBSKIP(1);
    EXPECT_GE(FIELDGET(1).text(), std::string("Bay  1"));
    EXPECT_TRUE(errors.empty()) << errors.front().description;
}

}  // namespace

// Key positions and counts come from counts kept per index page: after random appends,
// writes, deletes and recalls they must still match a walk of the tag, with and without
// scopes, on ascending, descending and FOR tags, in the area that made the changes and
// in a second area that shares the files.
TEST_F(DbfCdxOrders, KeyPositionsAndCountsMatchAWalk) {
    ASSERT_TRUE(DBCREATE("cuenta", {{"nombre", 'C', 40, 0}, {"n", 'N', 6, 0}}, "DBFCDX", true));
    ORDCONDSET({.forText = "!deleted()"});
    ASSERT_TRUE(ORDCREATE("", "nombre", "nombre"));
    ORDCONDSET({.descending = true});
    ASSERT_TRUE(ORDCREATE("", "baja", "n"));
    ORDCONDSET({.forText = "n % 3 == 0"});
    ASSERT_TRUE(ORDCREATE("", "tercio", "nombre"));
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "cuenta", "a", true));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "cuenta", "b", true));
    std::mt19937 rng(4242);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    auto name = [&] {
        std::string s(1 + pick(30), ' ');
        for (char& c : s) c = char('a' + pick(4));  // few letters: long runs of equal prefixes
        return s;
    };
    // Every position of the tag's walk, and its count, within the scopes set.
    auto verify = [&](const char* area, const std::string& tag, const Value& top, const Value& bottom) {
        SCOPED_TRACE(std::string(area) + " " + tag + " scope " + top.toText() + ".." + bottom.toText());
        DBSELECTAREA(area);
        ORDSETFOCUS(Value(tag));
        ORDSCOPE(0, top);
        ORDSCOPE(1, bottom);
        std::vector<long> recs = walk(tag);
        ASSERT_EQ(ORDKEYCOUNT(), long(recs.size()));
        for (size_t i = 0; i < recs.size(); i += 1 + recs.size() / 40) {
            DBGOTO(recs[i]);
            ASSERT_EQ(ORDKEYNO(), long(i) + 1) << "record " << recs[i];
        }
        // Records outside the walk have no position.
        for (long r = 1; r <= LASTREC(); r += 1 + LASTREC() / 30)
            if (std::find(recs.begin(), recs.end(), r) == recs.end()) {
                DBGOTO(r);
                ASSERT_EQ(ORDKEYNO(), 0) << "record " << r;
            }
        ORDSCOPE(0, Value());
        ORDSCOPE(1, Value());
    };
    for (int round = 0; round < 6; ++round) {
        DBSELECTAREA(round % 2 ? "b" : "a");
        ORDSETFOCUS(Value("nombre"));
        for (int step = 0; step < 700; ++step) {
            int op = pick(10);
            if (op < 5 || LASTREC() < 20) {
                ASSERT_TRUE(DBAPPEND());
                ASSERT_TRUE(DBPUTREC({Value(name()), Value(pick(2000))}));
            } else {
                DBGOTO(1 + pick(int(LASTREC())));
                ASSERT_TRUE(DBRLOCK(RECNO()));
                if (op < 7)
                    FIELDPUT(1 + pick(2), op == 5 ? Value(name()) : Value(pick(2000)));
                else
                    DELETED() ? DBRECALL() : DBDELETE();
            }
            DBUNLOCK();
        }
        for (const char* area : {"a", "b"}) {
            verify(area, "nombre", Value(), Value());
            verify(area, "nombre", Value("b"), Value("c"));
            verify(area, "baja", Value(), Value());
            verify(area, "baja", Value(1500), Value(500));
            verify(area, "tercio", Value("ab"), Value());
            verify(area, "tercio", Value(), Value("ca"));
            if (HasFatalFailure()) return;
        }
    }
    DBCLOSEALL();
}

namespace {

// Key counts are kept across closing and opening the same index file; any change of the file
// since, by this copy or another one, counts again. Keys of 1..n with a few deleted.
TEST_F(DbfCdxOrders, KeyCountsKeptAcrossOpensFollowEveryChangeOfTheFile) {
    ASSERT_TRUE(DBCREATE("t", {{"n", 'N', 6, 0}}, "DBFCDX"));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "T", false));
    for (int i = 1; i <= 3000; ++i) {
        DBAPPEND();
        FIELDPUT(1, Value(i));
    }
    ASSERT_TRUE(ORDCONDSET(OrderCondition{"!deleted()", [] { return Value(!DELETED()); }}));
    ASSERT_TRUE(ORDCREATE("t", "n", "n"));
    long live = 3000;
    auto reopenAndCount = [] {
        DBCLOSEAREA();
        EXPECT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "T", true));
        ORDSETFOCUS("n");
        return ORDKEYCOUNT();
    };
    EXPECT_EQ(ORDKEYCOUNT(), live);
    std::mt19937 rng(7);
    for (int step = 0; step < 12; ++step) {
        EXPECT_EQ(reopenAndCount(), live) << step;
        // A change by another copy with the index open in this one, or by this copy.
        bool other = step % 2 == 0;
        if (other) {
            ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "OTRO", true));
        }
        long rec = long(rng() % 3000) + 1;
        DBGOTO(rec);
        ASSERT_TRUE(RLOCK());
        if (DELETED()) {
            DBRECALL();
            ++live;
        } else {
            DBDELETE();
            --live;
        }
        DBUNLOCK();
        if (other) {
            DBCLOSEAREA();
            DBSELECTAREA("T");
        }
        EXPECT_EQ(reopenAndCount(), live) << step;
    }
}

}  // namespace
