// Index files damaged by other programs, met through the disk driver: the damage is reported
// once as a corruption naming the file, walks stop, and nothing is written over it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "cdxReader.h"
#include "testSupport.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void put32(std::string& s, uint32_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
}

class DbfCdxDamage : public DiskTest {
  protected:
    // Table "t" with 400 numbers under tag N (a root over several leaves), closed; the
    // tag's root and its first two leaves.
    void build() {
        ASSERT_TRUE(DBCREATE("t", {{"n", 'N', 6, 0}}, "DBFCDX"));
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "", false));
        for (int i = 1; i <= 400; ++i) ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value(i * 2)).num() == i * 2);
        ASSERT_TRUE(ORDCREATE("", "N", "n"));
        DBCLOSEAREA();
        std::unique_ptr<File> f;
        std::unique_ptr<cdx::CdxReader> r;
        ASSERT_TRUE(openFile(cdxPath(), OpenMode::ReadOnly, &f).ok());
        ASSERT_TRUE(cdx::CdxReader::open(std::move(f), &r).ok());
        cdx::TagInfo tag = r->tags().at(0);
        tag.fill = '\0';
        root = tag.root;
        cdx::CdxInterior node;
        ASSERT_TRUE(r->readInterior(root, tag, &node).ok());
        ASSERT_GE(node.entries.size(), 3u);
        leaf0 = node.entries[0].child;
        leaf1 = node.entries[1].child;
    }
    std::string cdxPath() const { return folder + "/t.cdx"; }

  public:
    uint32_t root = 0, leaf0 = 0, leaf1 = 0;
};

TEST_F(DbfCdxDamage, DamagedTreesAreReportedOnceAndNotWalked) {
    struct Case {
        const char* what;
        std::function<void(DbfCdxDamage&, std::string&)> damage;
    };
    const std::vector<Case> cases = {
        {"sibling chain loops back", [](DbfCdxDamage& t, std::string& s) { put32(s, t.leaf1 + 8, t.leaf0); }},
        {"sibling chain loops to itself", [](DbfCdxDamage& t, std::string& s) { put32(s, t.leaf0 + 8, t.leaf0); }},
        {"root not marked as a root", [](DbfCdxDamage& t, std::string& s) { s[t.root] &= ~1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_NO_FATAL_FAILURE(build());
        std::string bytes = readAll(cdxPath());
        c.damage(*this, bytes);
        writeAll(cdxPath(), bytes);
        errors.clear();
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "", false));
        ORDSETFOCUS(Value("N"));
        DBGOTOP();
        int steps = 0;
        while (!EOF_() && errors.empty() && steps < 5000) {
            DBSKIP();
            ++steps;
        }
        EXPECT_LT(steps, 401) << "the walk went round the loop";
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.front().genCode, EG_CORRUPTION);
        EXPECT_NE(errors.front().fileName.find("t.cdx"), std::string::npos);
        errors.clear();
        long count = ORDKEYCOUNT();
        EXPECT_TRUE(count == 400 || !errors.empty()) << "a key count of " << count << " without an error";
        DBCLOSEAREA();
        EXPECT_EQ(readAll(cdxPath()), bytes) << "the damaged index was written";
    }
}

TEST_F(DbfCdxDamage, AFreeListPointingAtALiveLeafIsNotFollowed) {
    ASSERT_NO_FATAL_FAILURE(build());
    std::string bytes = readAll(cdxPath());
    put32(bytes, 4, leaf0);
    writeAll(cdxPath(), bytes);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "", false));
    // Keys inserted until a leaf splits and a page is taken from the list.
    errors.clear();
    for (int i = 0; i < 200 && errors.empty(); ++i) {
        DBGOTO(1 + i);
        FIELDPUT(1, Value(401.0 + i));
    }
    ASSERT_FALSE(errors.empty()) << "the damaged free list was used";
    EXPECT_EQ(errors.back().genCode, EG_CORRUPTION);
    DBCLOSEAREA();
    // The refused change left nothing behind, and no live page was written over: the tag
    // still lists every record in key order and finds each key.
    errors.clear();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", "t", "", false));
    ORDSETFOCUS(Value("N"));
    long listed = 0;
    double last = -1;
    for (DBGOTOP(); !EOF_() && listed <= 400; DBSKIP(), ++listed) {
        EXPECT_GE(FIELDGET(1).num(), last);
        last = FIELDGET(1).num();
    }
    EXPECT_EQ(listed, 400);
    for (long r = 1; r <= 400; ++r) {
        DBGOTO(r);
        double key = FIELDGET(1).num();
        EXPECT_TRUE(DBSEEK(Value(key))) << key;
    }
    EXPECT_TRUE(errors.empty());
}

}  // namespace
