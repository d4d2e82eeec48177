// Held writes and the journal: random writes held over a file read back as a plain string
// model does and reach the disk whole; journals cut short, damaged or naming files they
// must not touch change nothing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "dbfCdxJournal.h"

using namespace dbfcdx;
namespace fs = std::filesystem;

namespace {

class Journal : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/urnalia_jnl_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        folder = tmpl;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string make(const std::string& name, const std::string& bytes) {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::shared_ptr<TableFile> open(const std::string& path) {
        int err = 0;
        return TableFile::open(path, false, false, &err);
    }

    std::string folder;
};

TEST_F(Journal, HeldWritesReadLikeAStringAndReachTheDiskWhole) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        std::string model(size_t(rng() % 3000), 'a');
        for (char& c : model) c = char('a' + rng() % 26);
        std::string path = make("t" + std::to_string(round) + ".dbf", model);
        std::string original = model;
        auto f = open(path);
        ASSERT_TRUE(f);
        f->hold();
        for (int op = 0; op < 60; ++op) {
            uint64_t off = rng() % (model.size() + 600);
            std::string bytes(1 + rng() % 300, char('A' + rng() % 26));
            if (rng() % 2) {
                ASSERT_TRUE(f->write(off, bytes).ok());
                if (model.size() < off + bytes.size()) model.resize(off + bytes.size(), '\0');
                model.replace(off, bytes.size(), bytes);
            }
            size_t n = rng() % 700;
            std::string got;
            ASSERT_TRUE(f->read(off, n, &got).ok());
            EXPECT_EQ(got, off < model.size() ? model.substr(off, n) : "") << "round " << round << " op " << op;
            uint64_t size = 0;
            ASSERT_TRUE(f->size(&size).ok());
            EXPECT_EQ(size, model.size());
        }
        EXPECT_EQ(contents(path), original) << "held writes reached the disk";
        ASSERT_TRUE(commitHeld(journalPath(path), {f.get()}).ok());
        EXPECT_FALSE(f->holding());
        EXPECT_EQ(contents(path), model);
        EXPECT_FALSE(fs::exists(journalPath(path)));
    }
}

TEST_F(Journal, JournalsCutShortAreRemovedWithoutBeingApplied) {
    std::string table = make("t.dbf", std::string(1000, 'x'));
    std::string journal = journalPath(table);
    // Whole, this journal would cut the table to nothing; cut short (or with bytes after
    // it), it was never finished, so nothing had been changed yet.
    std::string body = std::string("URNJRNL1") + 'R' + std::string("\x01\x00\x00\x00", 4) +
                       std::string("\x05\x00\x00\x00", 4) + "t.dbf" + std::string(8, '\0') +
                       std::string(4, '\0');
    for (size_t cut = 0; cut <= body.size() + 8; ++cut) {
        std::string bytes = body.substr(0, std::min(cut, body.size())) +
                            std::string(cut > body.size() ? cut - body.size() : 0, '\x5A');
        make("t.dbf.jnl", bytes);
        ASSERT_TRUE(recoverJournal(journal).ok()) << cut;
        EXPECT_FALSE(fs::exists(journal));
        EXPECT_EQ(contents(table), std::string(1000, 'x')) << cut;
    }
}

std::string le32(uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

TEST_F(Journal, WholeJournalsRollBackAndRefuseFilesTheyMustNotTouch) {
    std::string table = make("t.dbf", std::string(1000, 'N'));
    std::string outside = make("other.txt", "keep me");
    auto rollback = [](const std::string& name, uint64_t size, uint64_t off, const std::string& old) {
        return sealJournal("URNJRNL1R" + le32(1) + le32(uint32_t(name.size())) + name + le32(uint32_t(size)) +
                      le32(uint32_t(size >> 32)) + le32(1) + le32(0) + le32(uint32_t(off)) + le32(0) +
                      le32(uint32_t(old.size())) + old);
    };
    // A whole journal: the old bytes go back and the file is cut to its old length.
    make("t.dbf.jnl", rollback("t.dbf", 900, 5, "old"));
    ASSERT_TRUE(recoverJournal(journalPath(table)).ok());
    EXPECT_EQ(contents(table), std::string(5, 'N') + "old" + std::string(892, 'N'));
    EXPECT_FALSE(fs::exists(journalPath(table)));

    const std::vector<std::string> refused = {"../other.txt", outside, "/etc/passwd", "", "..", "/x/../y.cdx"};
    for (const std::string& name : refused) {
        make("t.dbf.jnl", rollback(name, 0, 0, "XX"));
        Status st = recoverJournal(journalPath(table));
        EXPECT_EQ(st.code(), Status::Code::Corruption) << name;
        EXPECT_NE(st.message().find("t.dbf.jnl"), std::string::npos);
        EXPECT_EQ(contents(outside), "keep me");
    }
    // A damaged whole journal is reported, not applied, and stays for a person to look at.
    make("t.dbf.jnl", sealJournal("URNJRNL1R" + le32(1) + le32(5) + "t.dbf" + le32(0) + le32(0) + le32(1) + le32(3)));
    EXPECT_EQ(recoverJournal(journalPath(table)).code(), Status::Code::Corruption);
    EXPECT_TRUE(fs::exists(journalPath(table)));
}

}  // namespace
