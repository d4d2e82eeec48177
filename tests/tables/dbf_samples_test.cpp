// Reads every table among the shared sample files: counts and values as their README
// states them, and a clear refusal, never a crash, for tables with types we do not read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "Text.h"
#include "dbfTable.h"

using namespace dbf;
namespace fs = std::filesystem;

namespace {

const fs::path kSamples = "/work/shared/formats/samples";

std::string lowerExt(const fs::path& p) {
    return text::lower(p.extension().string());
}

// The memo file next to a table: same base name, .fpt (or .dct for a container), any case.
fs::path memoFor(const fs::path& table) {
    std::string want = lowerExt(table) == ".dbc" ? ".dct" : ".fpt";
    for (const auto& e : fs::directory_iterator(table.parent_path())) {
        if (e.path().stem() == table.stem() && lowerExt(e.path()) == want) return e.path();
    }
    return {};
}

Status openSample(const fs::path& p, int codePage, std::unique_ptr<DbfTable>* t) {
    std::unique_ptr<File> f, m;
    Status s = openFile(p.string(), OpenMode::ReadOnly, &f);
    if (!s.ok()) return s;
    fs::path memo = memoFor(p);
    if (!memo.empty()) {
        s = openFile(memo.string(), OpenMode::ReadOnly, &m);
        if (!s.ok()) return s;
    }
    DbfTable::Options o;
    o.defaultCodePage = codePage;
    return DbfTable::open(std::move(f), std::move(m), o, t);
}

struct Expected {
    Status::Code code;
    uint32_t records = 0;
    uint32_t deleted = 0;
};

// From the samples README, keyed by each table's size in bytes as listed there. T
// (datetime) and the null-flag field are not read yet.
const std::map<uint64_t, Expected> kExpected = {
    {980, {Status::Code::Ok, 42, 0}},     {946697, {Status::Code::Ok, 975, 0}},
    {526, {Status::Code::Ok, 3, 0}},      {471, {Status::Code::Ok, 2, 0}},
    {10123, {Status::Code::Ok, 58, 2}},   {10288, {Status::Code::Ok, 59, 2}},
    {5017, {Status::Code::NotSupported}}, {10450, {Status::Code::NotSupported}},
    {1005, {Status::Code::NotSupported}}, {9817, {Status::Code::NotSupported}},
    {3204, {Status::Code::NotSupported}}, {1362, {Status::Code::NotSupported}},
};

// The sample with this file name anywhere under the folder; empty when absent.
fs::path findSample(const std::string& name) {
    if (!fs::is_directory(kSamples)) return {};
    for (const auto& e : fs::recursive_directory_iterator(kSamples))
        if (e.path().filename() == name) return e.path();
    return {};
}

}  // namespace

TEST(DbfSamples, EveryTableReadsOrIsRefusedClearly) {
    if (!fs::is_directory(kSamples)) GTEST_SKIP() << kSamples << " is missing";
    std::set<uint64_t> seen;
    for (const auto& e : fs::recursive_directory_iterator(kSamples)) {
        std::string ext = lowerExt(e.path());
        if (!e.is_regular_file() || (ext != ".dbf" && ext != ".dbc")) continue;
        const std::string name = e.path().filename().string();
        SCOPED_TRACE(name);
        const uint64_t size = e.file_size();
        seen.insert(size);
        std::unique_ptr<DbfTable> t;
        Status s = openSample(e.path(), 850, &t);
        auto it = kExpected.find(size);
        if (it == kExpected.end()) {  // a new sample: it may be refused, never crash
            EXPECT_TRUE(s.ok() || s.code() == Status::Code::NotSupported) << s.toString();
            continue;
        }
        ASSERT_EQ(s.code(), it->second.code) << s.toString();
        if (!s.ok()) {
            EXPECT_NE(s.message().find(name), std::string::npos) << s.message();
            EXPECT_NE(s.message().find("not supported"), std::string::npos) << s.message();
            continue;
        }
        EXPECT_EQ(t->recordCount(), it->second.records);
        uint32_t deleted = 0;
        for (uint32_t n = 1; n <= t->recordCount(); ++n) {
            std::vector<Value> v;
            bool del = false;
            Status r = t->read(n, &v, &del);
            ASSERT_TRUE(r.ok()) << n << ": " << r.toString();
            deleted += del;
        }
        EXPECT_EQ(deleted, it->second.deleted);
    }
    for (const auto& [size, _] : kExpected)
        EXPECT_TRUE(seen.count(size)) << "no table of " << size << " bytes";
}

TEST(DbfSamples, RoomsHoldsTheStatedValues) {
    fs::path p = findSample("rooms.dbf");
    if (p.empty()) GTEST_SKIP() << "rooms.dbf is missing";
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(openSample(p, 1252, &t).ok());
    Structure st = t->structure();
    ASSERT_EQ(st.size(), 2u);
    EXPECT_EQ(st[0].name, "ROOMNAME");
    EXPECT_EQ(st[1].len, 10);
    std::set<std::string> facilities, rooms;
    for (uint32_t n = 1; n <= t->recordCount(); ++n) {
        std::vector<Value> v;
        bool del;
        ASSERT_TRUE(t->read(n, &v, &del).ok());
        EXPECT_EQ(text::length(v[0].text()), 10u);
        facilities.insert(text::rtrim(v[1].text()));
        rooms.insert(text::rtrim(v[0].text()));
    }
    EXPECT_EQ(facilities, (std::set<std::string>{"", "Audio", "Film", "Main"}));
    EXPECT_TRUE(rooms.count("Bay  1"));
    EXPECT_TRUE(rooms.count(" None"));
    EXPECT_TRUE(rooms.count("Transfer"));
}

TEST(DbfSamples, TheOnlyF5TableHasItsMemosAndDosText) {
    fs::path p;  // the one sample whose version byte is 0xF5
    if (fs::is_directory(kSamples)) {
        for (const auto& e : fs::recursive_directory_iterator(kSamples)) {
            std::unique_ptr<File> f;
            std::string first;
            if (lowerExt(e.path()) == ".dbf" &&
                openFile(e.path().string(), OpenMode::ReadOnly, &f).ok() &&
                f->read(0, 1, &first).ok() && first == "\xF5")
                p = e.path();
        }
    }
    if (p.empty()) GTEST_SKIP() << "the 0xF5 sample is missing";
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(openSample(p, 850, &t).ok());
    ASSERT_EQ(t->layout().fields.size(), 59u);
    int memoCol = -1, datnCol = -1;
    for (size_t i = 0; i < t->layout().fields.size(); ++i) {
        if (t->layout().fields[i].name == "OBSE") memoCol = int(i);
        if (t->layout().fields[i].name == "DATN") datnCol = int(i);
    }
    ASSERT_GE(memoCol, 0);
    ASSERT_GE(datnCol, 0);
    int memos = 0, blankDates = 0, accented = 0, crlf = 0;
    for (uint32_t n = 1; n <= t->recordCount(); ++n) {
        std::vector<Value> v;
        bool del;
        ASSERT_TRUE(t->read(n, &v, &del).ok());
        const std::string& memo = v[size_t(memoCol)].text();
        if (!memo.empty()) ++memos;
        if (memo.find("\r\n") != std::string::npos) ++crlf;
        if (v[size_t(datnCol)].date().empty()) ++blankDates;
        for (const Value& x : v)
            if (x.isText() && x.text().find("é") != std::string::npos) ++accented;
    }
    EXPECT_EQ(memos, 211);
    EXPECT_GT(crlf, 0);
    EXPECT_EQ(blankDates, 508);
    EXPECT_GT(accented, 0);
}

// The published copy of rooms.dbf had its field terminator turned into a line feed.
TEST(DbfSamples, TheTextConvertedRoomsIsRefused) {
    fs::path p = findSample("rooms.dbf");
    if (p.empty()) GTEST_SKIP() << "rooms.dbf is missing";
    std::unique_ptr<File> f;
    ASSERT_TRUE(openFile(p.string(), OpenMode::ReadOnly, &f).ok());
    uint64_t size = 0;
    ASSERT_TRUE(f->size(&size).ok());
    auto bytes = std::make_shared<std::string>();
    ASSERT_TRUE(f->read(0, size_t(size), bytes.get()).ok());
    ASSERT_EQ((*bytes)[0x60], 0x0D);
    (*bytes)[0x60] = 0x0A;
    bytes->push_back(0x0A);
    std::unique_ptr<DbfTable> t;
    Status s = DbfTable::open(std::make_unique<MemoryFile>("rooms.dbf", bytes), nullptr, {}, &t);
    EXPECT_EQ(s.code(), Status::Code::Corruption) << s.toString();
    EXPECT_NE(s.message().find("terminator"), std::string::npos) << s.message();
}
