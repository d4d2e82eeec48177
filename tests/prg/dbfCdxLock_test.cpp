// Sharing between work areas and processes in the disk driver DBFCDX: shared and exclusive
// opens, record and file locks, appends seen by other areas, and a second process.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "TableLayer.h"
#include "dbfCdxDriver.h"
#include "testSupport.h"

namespace fs = std::filesystem;

namespace {

class DbfCdxLocks : public DiskTest {
  protected:
    void SetUp() override {
        DiskTest::SetUp();
        ASSERT_TRUE(DBCREATE("t", {{"n", 'N', 5, 0}, {"memo", 'M', 10, 0}}, "DBFCDX", true));
        for (int i = 1; i <= 3; ++i) {
            ASSERT_TRUE(DBAPPEND());
            FIELDPUT(1, Value(i));
        }
        DBCLOSEAREA();
    }
    bool use(const std::string& alias, bool shared) {
        return DBUSEAREA(true, "DBFCDX", "t", alias, shared);
    }
};

TEST_F(DbfCdxLocks, ExclusiveAndSharedOpensExcludeEachOther) {
    ASSERT_TRUE(use("A", true));
    EXPECT_FALSE(NETERR());
    ASSERT_TRUE(use("B", true));
    EXPECT_FALSE(use("C", false));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].genCode, EG_OPEN);
    EXPECT_EQ(errors[0].subCode, 1001);
    EXPECT_EQ(errors[0].description, "Open error(Lock failure - already opened in shared mode)");
    EXPECT_EQ(errors[0].fileName, "t");
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(SELECT("C"), 0);

    // Closing one shared area keeps the other's claim on the table.
    DBSELECTAREA("A");
    DBCLOSEAREA();
    EXPECT_FALSE(use("C", false));
    DBSELECTAREA("B");
    DBCLOSEAREA();

    ASSERT_TRUE(use("X", false));
    EXPECT_FALSE(use("Y", true));
    EXPECT_EQ(errors.back().description,
              "Open error(Lock failure - already opened in exclusive mode)");
    EXPECT_TRUE(NETERR());
    EXPECT_FALSE(use("Z", false));
    EXPECT_FALSE(DBCREATE("t", {{"n", 'N', 5, 0}}, "DBFCDX"));
    EXPECT_EQ(errors.back().genCode, EG_CREATE);
    DBSELECTAREA("X");
    EXPECT_EQ(LASTREC(), 3);  // the refused create left the table alone
    DBCLOSEAREA();
    EXPECT_TRUE(use("Y", true));
    DBCLOSEAREA();

    // A read-only exclusive open still keeps everyone else out.
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "R", false, true));
    EXPECT_FALSE(use("S", true));
    EXPECT_EQ(errors.back().description,
              "Open error(Lock failure - already opened in exclusive mode)");
}

// The network-error flag tells that another user holds the table: an open or a create that
// meets a lock sets it, any other failed open clears it.
TEST_F(DbfCdxLocks, OnlyLockConflictsSetTheNetworkErrorFlag) {
    auto writeFile = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
    };
    writeFile("roto.dbf", "not a table at all");
    ASSERT_TRUE(DBCREATE("ix", {{"n", 'N', 5, 0}}, "DBFCDX"));
    writeFile("ix.cdx", std::string(1024, 'x'));
    ASSERT_TRUE(DBCREATE("u", {{"n", 'N', 5, 0}}, "DBFCDX"));
    ASSERT_TRUE(use("X", false));
    auto create = [](const char* name) { return DBCREATE(name, {{"n", 'L', 1, 0}}, "DBFCDX"); };
    struct Row {
        const char* what;
        std::function<bool()> attempt;
        bool netErr;
    } rows[] = {
        {"missing table", [] { return DBUSEAREA(true, "DBFCDX", "nada", "", true); }, false},
        {"damaged table", [] { return DBUSEAREA(true, "DBFCDX", "roto", "", true); }, false},
        {"damaged index", [] { return DBUSEAREA(true, "DBFCDX", "ix", "", true); }, false},
        {"alias in use", [] { return DBUSEAREA(true, "DBFCDX", "u", "X", true); }, false},
        {"create in a missing folder", [&] { return create("no/hay"); }, false},
        {"table held exclusively", [this] { return use("Y", true); }, true},
        {"create of a held table", [&] { return create("t"); }, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        NETERR(!r.netErr);
        size_t before = errors.size();
        EXPECT_FALSE(r.attempt());
        EXPECT_GT(errors.size(), before);
        EXPECT_EQ(NETERR(), r.netErr);
    }
    DBSELECTAREA("X");
    EXPECT_EQ(LASTREC(), 3);
}

TEST_F(DbfCdxLocks, RecordAndFileLocksConflictBetweenAreas) {
    ASSERT_TRUE(use("A", true));
    ASSERT_TRUE(use("B", true));
    DBSELECTAREA("A");
    DBGOTO(1);
    EXPECT_TRUE(RLOCK());
    EXPECT_TRUE(RLOCK());  // again through the same area
    DBSELECTAREA("B");
    EXPECT_FALSE(DBRLOCK(1));
    EXPECT_TRUE(DBRLOCK(2));
    EXPECT_FALSE(DBRLOCK(9));  // no such record
    EXPECT_FALSE(FLOCK());
    DBSELECTAREA("A");
    EXPECT_FALSE(DBRLOCK(2));
    DBSELECTAREA("B");
    DBRUNLOCK(2);
    DBSELECTAREA("A");
    EXPECT_TRUE(DBRLOCK(2));
    DBUNLOCK();
    DBSELECTAREA("B");
    EXPECT_TRUE(FLOCK());
    DBGOTO(3);
    EXPECT_TRUE(DBDELETE());  // the file lock allows changes to every record
    DBSELECTAREA("A");
    EXPECT_FALSE(DBRLOCK(1));
    EXPECT_FALSE(FLOCK());
    DBSELECTAREA("B");
    DBUNLOCK();
    DBSELECTAREA("A");
    EXPECT_TRUE(DBRLOCK(3));
    DBGOTO(3);
    EXPECT_TRUE(DELETED());  // seen through the other area
    EXPECT_EQ(errors.size(), 0u);
}

TEST_F(DbfCdxLocks, LocksDieWithTheirAreaOnly) {
    ASSERT_TRUE(use("A", true));
    ASSERT_TRUE(use("B", true));
    ASSERT_TRUE(use("C", true));
    DBSELECTAREA("A");
    ASSERT_TRUE(DBRLOCK(1));
    DBSELECTAREA("B");
    ASSERT_TRUE(DBRLOCK(2));
    DBCLOSEAREA();
    DBSELECTAREA("C");
    EXPECT_FALSE(DBRLOCK(1));  // A still holds it
    EXPECT_TRUE(DBRLOCK(2));   // B's lock went with B
    DBSELECTAREA("A");
    DBCLOSEAREA();
    DBSELECTAREA("C");
    EXPECT_TRUE(DBRLOCK(1));
}

TEST_F(DbfCdxLocks, AppendsAreLockedAndSeenByOtherAreas) {
    ASSERT_TRUE(use("A", true));
    ASSERT_TRUE(use("B", true));
    DBSELECTAREA("A");
    ASSERT_TRUE(DBAPPEND());
    EXPECT_EQ(RECNO(), 4);
    EXPECT_EQ(FIELDPUT(1, Value(40)).num(), 40);  // the new record is locked here
    FIELDPUT(2, Value("nota de A"));
    DBSELECTAREA("B");
    EXPECT_EQ(LASTREC(), 4);
    EXPECT_FALSE(DBRLOCK(4));
    ASSERT_TRUE(DBAPPEND());
    EXPECT_EQ(RECNO(), 5);
    FIELDPUT(2, Value("nota de B"));
    DBGOTO(4);
    EXPECT_EQ(FIELDGET(1).num(), 40);
    EXPECT_EQ(FIELDGET(2).text(), "nota de A");
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 5);
    EXPECT_EQ(FIELDGET(2).text(), "nota de B");
    DBCOMMIT();
    DBSELECTAREA("A");
    DBCOMMIT();  // must not write back the record count A saw last
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 5);
    EXPECT_EQ(FIELDGET(2).text(), "nota de B");
    DBCLOSEALL();
    ASSERT_TRUE(use("A", false));
    EXPECT_EQ(LASTREC(), 5);
    EXPECT_EQ(errors.size(), 0u);
}

TEST_F(DbfCdxLocks, AppendFailsWithoutALockAndAddsNothing) {
    ASSERT_TRUE(use("A", true));
    ASSERT_TRUE(use("B", true));
    DBSELECTAREA("A");
    ASSERT_TRUE(FLOCK());
    DBSELECTAREA("B");
    NETERR(false);
    EXPECT_FALSE(DBAPPEND());
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(LASTREC(), 3);
    DBSELECTAREA("A");
    ASSERT_TRUE(DBAPPEND());  // the file lock covers appends
    EXPECT_FALSE(NETERR());
    EXPECT_EQ(LASTREC(), 4);
    DBUNLOCK();
    DBSELECTAREA("B");
    EXPECT_TRUE(DBAPPEND());
    EXPECT_EQ(RECNO(), 5);
}

TEST_F(DbfCdxLocks, ClosingBesideAFileLockNeitherWaitsNorFails) {
    ASSERT_TRUE(use("A", true));
    ASSERT_TRUE(use("B", true));
    ASSERT_TRUE(DBRLOCK(2));
    DBGOTO(2);
    ASSERT_EQ(FIELDPUT(1, Value(20)).num(), 20);
    DBUNLOCK();
    DBSELECTAREA("A");
    ASSERT_TRUE(FLOCK());
    DBSELECTAREA("B");
    DBCLOSEAREA();
    EXPECT_EQ(errors.size(), 0u);
    DBSELECTAREA("A");
    DBGOTO(2);
    EXPECT_EQ(FIELDGET(1).num(), 20);
    EXPECT_EQ(LASTREC(), 3);
}

// A byte through a pipe; false when the other end closed first.
bool send(int fd, char c) {
    return write(fd, &c, 1) == 1;
}
char receive(int fd) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? c : '\0';
}

TEST_F(DbfCdxLocks, AnotherProcessHoldsRecordAndOpenLocks) {
    ASSERT_TRUE(use("IDX", false));
    ASSERT_TRUE(ORDCREATE("", "n", "n"));  // the child's append keeps it current
    DBCLOSEAREA();
    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Its own descriptors: nothing is open in the parent at the fork.
        bool ok = use("HIJO", true) && DBAPPEND() && !FIELDPUT(1, Value(4)).isNil() &&
                  !FIELDPUT(2, Value("del hijo")).isNil() && DBGOTO(1) && RLOCK();
        send(toParent[1], ok ? 'y' : 'n');
        receive(toChild[0]);
        _exit(0);
    }
    close(toParent[1]);
    close(toChild[0]);
    ASSERT_EQ(receive(toParent[0]), 'y');

    EXPECT_FALSE(use("EXCL", false));
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(errors.back().description,
              "Open error(Lock failure - already opened in shared mode)");
    ASSERT_TRUE(use("PADRE", true));
    EXPECT_EQ(LASTREC(), 4);
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET(1).num(), 4);
    EXPECT_EQ(FIELDGET(2).text(), "del hijo");
    ORDSETFOCUS(Value("n"));
    EXPECT_EQ(ORDKEYCOUNT(), 4);
    EXPECT_TRUE(DBSEEK(Value(4)));
    EXPECT_EQ(RECNO(), 4);
    ORDSETFOCUS(Value(0));
    EXPECT_FALSE(DBRLOCK(4));  // the child's append keeps its record locked
    EXPECT_FALSE(DBRLOCK(1));
    EXPECT_TRUE(DBRLOCK(2));
    EXPECT_FALSE(FLOCK());

    send(toChild[1], 'x');
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(toParent[0]);
    close(toChild[1]);

    EXPECT_TRUE(DBRLOCK(1));
    EXPECT_TRUE(FLOCK());
    DBCLOSEAREA();
    EXPECT_TRUE(use("EXCL", false));
}

}  // namespace
