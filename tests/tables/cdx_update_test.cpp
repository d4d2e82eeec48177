// Incremental maintenance of one tag: random inserts and deletes against an ordered model,
// with the structural checker and a full cursor walk after every batch, seeks compared with
// the model, leaves that split at every insert, and writes that fail part way.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "cdxCheck.h"
#include "cdxUpdate.h"
#include "cdxWriter.h"

using namespace cdx;

namespace {

using Pair = std::pair<std::string, uint32_t>;

struct PairOrder {
    bool descending = false;
    bool operator()(const Pair& a, const Pair& b) const {
        if (a.first != b.first) return descending ? b.first < a.first : a.first < b.first;
        return a.second < b.second;
    }
};
using Model = std::multiset<Pair, PairOrder>;

// A one-tag index in memory, opened afresh for every check.
struct Fixture {
    std::shared_ptr<std::string> data = std::make_shared<std::string>();
    std::unique_ptr<MemoryFile> file;
    TagInfo tag;
    bool binary = false;

    Status build(const CdxTagSpec& spec) {
        binary = spec.binary;
        MemoryFile out("t.cdx", data);
        Status s = writeCdx({spec}, {}, &out);
        if (!s.ok()) return s;
        std::unique_ptr<CdxReader> r;
        s = open(&r);
        if (!s.ok()) return s;
        tag = r->tags().at(0);
        file = std::make_unique<MemoryFile>("t.cdx", data);
        return Status::OK();
    }
    Status open(std::unique_ptr<CdxReader>* r) const {
        Status s = CdxReader::open(std::make_unique<MemoryFile>("t.cdx", data), r);
        if (s.ok() && binary) (*r)->setKeyFill(0, '\0');
        return s;
    }
};

std::vector<Pair> walk(const CdxReader& r, const TagInfo& t) {
    std::vector<Pair> out;
    CdxCursor c(r, t);
    Status s = c.first();
    for (; s.ok() && c.valid() && out.size() < 1000000; s = c.next()) {
        out.push_back({c.key(), c.recno()});
    }
    EXPECT_TRUE(s.ok()) << s.message();
    return out;
}

// Checker, full walk and seeks against the model.
void verify(const Fixture& f, const Model& model, std::mt19937& rng, const std::string& where,
            int* depth = nullptr) {
    std::unique_ptr<CdxReader> r;
    Status s = f.open(&r);
    ASSERT_TRUE(s.ok()) << where << ": " << s.message();
    CdxCheckStats st;
    s = checkCdx(*r, &st);
    ASSERT_TRUE(s.ok()) << where << ": " << s.message();
    ASSERT_EQ(st.perTag.at(0).keys, model.size()) << where;
    if (depth) *depth = std::max(*depth, st.perTag[0].depth);
    const TagInfo& t = r->tags().at(0);
    std::vector<Pair> want(model.begin(), model.end());
    ASSERT_EQ(walk(*r, t), want) << where;
    CdxTagUpdater upd(f.file.get(), t);
    for (int i = 0; i < 8 && !model.empty(); ++i) {
        const Pair& p = want[rng() % want.size()];
        CdxCursor c(*r, t);
        bool found = false;
        ASSERT_TRUE(c.seek(p.first, &found).ok()) << where;
        auto first = model.lower_bound({p.first, 0});
        ASSERT_TRUE(found && c.valid()) << where;
        EXPECT_EQ(c.key(), first->first) << where;
        EXPECT_EQ(c.recno(), first->second) << where;
        LeafSpot spot;
        ASSERT_TRUE(upd.find(p.first, p.second, &spot, &found).ok()) << where;
        EXPECT_TRUE(found) << where;
        CdxLeaf leaf;
        ASSERT_TRUE(r->readLeaf(spot.page, t, &leaf).ok()) << where;
        ASSERT_LT(spot.index, leaf.entries.size()) << where;
        EXPECT_EQ(leaf.entries[spot.index].key, p.first) << where;
        EXPECT_EQ(leaf.entries[spot.index].recno, p.second) << where;
        ASSERT_TRUE(upd.find(p.first, p.second + 1000000, &spot, &found).ok()) << where;
        EXPECT_FALSE(found) << where;
    }
}

struct RandomRun {
    uint32_t keyLength = 10;
    bool binary = false;
    bool descending = false;
    size_t initial = 0;
    int ops = 3000;
    int checkEvery = 100;
    double insertShare = 0.6;
    std::function<std::string(std::mt19937&)> makeKey;
};

// Raises *depth to the deepest tree seen.
void runRandom(const RandomRun& run, uint32_t seed, int* depth = nullptr) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    Model model(PairOrder{run.descending});
    uint32_t nextRecno = 1;
    for (size_t i = 0; i < run.initial; ++i) model.insert({run.makeKey(rng), nextRecno++});
    CdxTagSpec spec{"T", "K", "", run.keyLength, {}, run.binary, false, run.descending};
    for (const Pair& p : model) spec.keys.push_back({p.first, p.second});
    Fixture f;
    Status s = f.build(spec);
    ASSERT_TRUE(s.ok()) << s.message();
    CdxTagUpdater upd(f.file.get(), f.tag);
    verify(f, model, rng, "start");
    std::vector<Pair> live(model.begin(), model.end());
    for (int op = 1; op <= run.ops; ++op) {
        std::string where = "op " + std::to_string(op);
        bool insert = live.empty() || std::uniform_real_distribution<>(0, 1)(rng) < run.insertShare;
        if (insert) {
            // Reuse an old record number now and then so equal keys interleave.
            uint32_t recno =
                (rng() % 4 == 0 && nextRecno > 1) ? 1 + rng() % nextRecno : nextRecno++;
            Pair p{run.makeKey(rng), recno};
            bool present = model.find(p) != model.end();
            s = upd.insert(p.first, p.second);
            if (present) {
                ASSERT_EQ(s.code(), Status::Code::InvalidArgument) << where << ": " << s.message();
                continue;
            }
            ASSERT_TRUE(s.ok()) << where << ": " << s.message();
            model.insert(p);
            live.push_back(p);
        } else {
            size_t i = rng() % live.size();
            s = upd.remove(live[i].first, live[i].second);
            ASSERT_TRUE(s.ok()) << where << ": " << s.message();
            model.erase(model.find(live[i]));
            live[i] = live.back();
            live.pop_back();
            if (rng() % 16 == 0) {
                s = upd.remove(run.makeKey(rng), nextRecno + 5);
                ASSERT_EQ(s.code(), Status::Code::NotFound) << where;
            }
        }
        if (op % run.checkEvery == 0 || op == run.ops) {
            verify(f, model, rng, where, depth);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

std::string wordKey(std::mt19937& rng, uint32_t keyLength, int alphabet) {
    std::string w(rng() % (keyLength + 1), ' ');
    for (char& c : w) c = char('A' + rng() % alphabet);
    if (!w.empty() && rng() % 8 == 0) w[rng() % w.size()] = ' ';  // inner blanks
    return charKey(w, keyLength);
}

TEST(CdxUpdate, CharacterKeysFromWriterFile) {
    RandomRun run;
    run.initial = 2000;
    run.makeKey = [](std::mt19937& rng) { return wordKey(rng, 10, 3); };
    int depth = 0;
    for (uint32_t seed : {1u, 2u}) runRandom(run, seed, &depth);
    EXPECT_GE(depth, 2);
}

TEST(CdxUpdate, CharacterKeysFromEmptyTag) {
    RandomRun run;
    run.makeKey = [](std::mt19937& rng) { return wordKey(rng, 10, 26); };
    runRandom(run, 7);
}

TEST(CdxUpdate, GrowThenEmptyCompletely) {
    RandomRun run;
    run.ops = 2400;
    run.insertShare = 0.0;  // only deletes after the start
    run.initial = 2000;
    run.checkEvery = 200;
    run.keyLength = 12;
    run.makeKey = [](std::mt19937& rng) { return wordKey(rng, 12, 20); };
    runRandom(run, 11);
}

TEST(CdxUpdate, DescendingCharacterKeys) {
    RandomRun run;
    run.descending = true;
    run.initial = 500;
    run.keyLength = 6;
    run.makeKey = [](std::mt19937& rng) { return wordKey(rng, 6, 4); };
    runRandom(run, 5);
}

TEST(CdxUpdate, NumericKeys) {
    RandomRun run;
    run.keyLength = 8;
    run.binary = true;
    run.initial = 1000;
    run.makeKey = [](std::mt19937& rng) {
        double v = double(int(rng() % 2001) - 1000);
        if (rng() % 3 == 0) v /= 8;
        return numericKey(v);
    };
    runRandom(run, 3);
}

TEST(CdxUpdate, LongKeysSplitAtEveryInsert) {
    RandomRun run;
    run.keyLength = 240;
    run.ops = 700;
    run.checkEvery = 50;
    run.insertShare = 0.7;
    run.makeKey = [](std::mt19937& rng) {
        std::string k(240, 'x');
        for (char& c : k) c = char('a' + rng() % 26);
        return k;
    };
    int depth = 0;
    runRandom(run, 9, &depth);
    EXPECT_GE(depth, 5);  // two keys per leaf and two entries per interior node
}

TEST(CdxUpdate, BadArgumentsAreRefused) {
    Fixture f;
    ASSERT_TRUE(f.build({"T", "K", "", 4, {{"AAAA", 1}}, false, true, false}).ok());
    CdxTagUpdater upd(f.file.get(), f.tag);
    EXPECT_EQ(upd.insert("AAA", 2).code(), Status::Code::InvalidArgument);
    EXPECT_EQ(upd.insert("BBBB", 0).code(), Status::Code::InvalidArgument);
    Status s = upd.insert("AAAA", 2);  // unique tag
    EXPECT_EQ(s.code(), Status::Code::InvalidArgument);
    EXPECT_NE(s.message().find("t.cdx"), std::string::npos);
    EXPECT_EQ(upd.remove("BBBB", 1).code(), Status::Code::NotFound);
}

TEST(CdxUpdate, ChangeCounterIsBumped) {
    Fixture f;
    ASSERT_TRUE(f.build({"T", "K", "", 4, {}, false, false, false}).ok());
    CdxTagUpdater upd(f.file.get(), f.tag);
    ASSERT_TRUE(upd.insert("AAAA", 1).ok());
    ASSERT_TRUE(upd.remove("AAAA", 1).ok());
    EXPECT_EQ(getBe32(f.data->data() + 8), 2u);
}

uint32_t freePages(const std::string& image) {
    uint32_t n = 0;
    for (uint32_t at = getLe32(image.data() + 4);
         at != 0 && at + kPageSize <= image.size() && n < 1000; at = getLe32(image.data() + at)) {
        ++n;
    }
    return n;
}

uint32_t pagesReached(const Fixture& f) {
    std::unique_ptr<CdxReader> r;
    CdxCheckStats st;
    EXPECT_TRUE(f.open(&r).ok());
    EXPECT_TRUE(checkCdx(*r, &st).ok());
    return st.pagesReached;
}

TEST(CdxUpdate, FreedPagesAreReused) {
    std::mt19937 rng(21);
    Model model;
    CdxTagSpec spec{"T", "K", "", 40, {}, false, false, false};
    for (uint32_t i = 1; i <= 1500; ++i) model.insert({wordKey(rng, 40, 26), i});
    for (const Pair& p : model) spec.keys.push_back({p.first, p.second});
    Fixture f;
    ASSERT_TRUE(f.build(spec).ok());
    CdxTagUpdater upd(f.file.get(), f.tag);
    std::vector<Pair> live(model.begin(), model.end());
    for (size_t i = 0; i < 1200; ++i) {
        ASSERT_TRUE(upd.remove(live[i].first, live[i].second).ok());
        model.erase(live[i]);
    }
    verify(f, model, rng, "after deletes");
    uint32_t freed = freePages(*f.data), reached = pagesReached(f);
    size_t size = f.data->size();
    EXPECT_GT(freed, 20u);
    for (uint32_t i = 0; i < 1200; ++i) {
        Pair p{wordKey(rng, 40, 26), 2000 + i};
        ASSERT_TRUE(upd.insert(p.first, p.second).ok());
        model.insert(p);
    }
    verify(f, model, rng, "after inserts");
    // Inserts free nothing: the list is used up before the file grows.
    uint32_t needed = pagesReached(f) - reached;
    uint32_t grown = uint32_t((f.data->size() - size) / kPageSize);
    EXPECT_EQ(grown, needed > freed ? needed - freed : 0);
    EXPECT_EQ(freePages(*f.data), needed > freed ? 0 : freed - needed);
}

// The writes of one operation fail part way at every budget: the error names the file, and
// the file either checks clean with the keys of before or after the operation (save for
// the bytes of a key whose leaf write was torn), or the checker reports it damaged.
TEST(CdxUpdate, FailedWritesAreReported) {
    std::mt19937 keys(31);
    CdxTagSpec spec{"T", "K", "", 100, {}, false, false, false};
    Model base;
    for (uint32_t i = 1; i <= 60; ++i) base.insert({wordKey(keys, 100, 26), i});
    for (const Pair& p : base) spec.keys.push_back({p.first, p.second});
    std::vector<Pair> ops;  // recno 0: delete the key at this position of the model
    for (uint32_t i = 0; i < 12; ++i) {
        ops.push_back({wordKey(keys, 100, 26), 100 + i});
        if (i % 3 == 2) ops.push_back({std::to_string(keys() % 50), 0});
    }
    int intact = 0, damaged = 0, completed = 0;
    auto recnos = [](const std::vector<Pair>& v) {
        std::vector<uint32_t> out;
        for (const Pair& p : v) out.push_back(p.second);
        return out;
    };
    int tornKeys = 0;
    std::vector<uint64_t> budgets = {UINT64_MAX / 2};  // enough for every write
    for (uint64_t b = 0; b < 14000; b += 61) budgets.push_back(b);
    for (uint64_t budget : budgets) {
        SCOPED_TRACE("budget " + std::to_string(budget));
        Fixture f;
        ASSERT_TRUE(f.build(spec).ok());
        FaultyFile faulty(std::make_unique<MemoryFile>("t.cdx", f.data), budget);
        CdxTagUpdater upd(&faulty, f.tag);
        Model model = base, next = base;  // before and after the operation that fails
        bool failed = false;
        for (const Pair& op : ops) {
            next = model;
            Status s;
            if (op.second == 0) {
                auto it = std::next(next.begin(), std::stoi(op.first) % next.size());
                s = upd.remove(it->first, it->second);
                next.erase(it);
            } else {
                s = upd.insert(op.first, op.second);
                next.insert(op);
            }
            if (!s.ok()) {
                EXPECT_EQ(s.code(), Status::Code::IOError) << s.message();
                EXPECT_NE(s.message().find("t.cdx"), std::string::npos) << s.message();
                failed = true;
                break;
            }
            model = next;
        }
        std::unique_ptr<CdxReader> r;
        Status s = f.open(&r);
        CdxCheckStats st;
        if (s.ok()) s = checkCdx(*r, &st);
        if (!s.ok()) {
            EXPECT_EQ(s.code(), Status::Code::Corruption) << s.message();
            EXPECT_TRUE(failed);
            ++damaged;
            continue;
        }
        std::vector<Pair> got = walk(*r, r->tags().at(0));
        std::vector<Pair> old(model.begin(), model.end()), after(next.begin(), next.end());
        if (got == old || got == after) {
            ++(failed ? intact : completed);
        } else {
            // A leaf torn inside the bytes of the key being written still decodes and checks.
            EXPECT_TRUE(failed);
            EXPECT_TRUE(recnos(got) == recnos(old) || recnos(got) == recnos(after));
            ++tornKeys;
        }
    }
    std::printf(
        "failed writes: %d kept the keys of before or after, %d tore a key, %d damaged "
        "the file; %d runs completed\n",
        intact, tornKeys, damaged, completed);
    EXPECT_GT(intact, 0);
    EXPECT_GT(completed, 0);
}

// Damaged pages give an error status or a file the checker may reject, never a crash.
TEST(CdxUpdate, DamagedFilesNeverCrash) {
    std::mt19937 rng(41);
    CdxTagSpec spec{"T", "K", "", 20, {}, false, false, false};
    Model base;
    for (uint32_t i = 1; i <= 800; ++i) base.insert({wordKey(rng, 20, 5), i});
    for (const Pair& p : base) spec.keys.push_back({p.first, p.second});
    std::vector<Pair> all(base.begin(), base.end());
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Fixture f;
        ASSERT_TRUE(f.build(spec).ok());
        for (int i = 0; i < 1 + round % 6; ++i) {
            size_t at = kHeaderSize + rng() % (f.data->size() - kHeaderSize);
            (*f.data)[at] = char(rng());
        }
        CdxTagUpdater upd(f.file.get(), f.tag);
        for (int op = 0; op < 30; ++op) {
            const Pair& p = all[rng() % all.size()];
            Status s = op % 2 ? upd.remove(p.first, p.second)
                              : upd.insert(wordKey(rng, 20, 5), 1000 + uint32_t(op));
            EXPECT_TRUE(s.ok() || !s.message().empty());
        }
        std::unique_ptr<CdxReader> r;
        CdxCheckStats st;
        if (f.open(&r).ok()) (void)checkCdx(*r, &st);
    }
}

// Pages of one tag come from the shared free list and the end of the file; the other tag
// stays as it was.
TEST(CdxUpdate, OtherTagsAreUntouched) {
    std::mt19937 rng(51);
    CdxTagSpec a{"A", "A", "", 10, {}, false, false, false};
    CdxTagSpec b{"B", "B", "", 10, {}, false, false, false};
    Model ma, mb;
    for (uint32_t i = 1; i <= 600; ++i) {
        ma.insert({wordKey(rng, 10, 6), i});
        mb.insert({wordKey(rng, 10, 6), i});
    }
    for (const Pair& p : ma) a.keys.push_back({p.first, p.second});
    for (const Pair& p : mb) b.keys.push_back({p.first, p.second});
    auto data = std::make_shared<std::string>();
    MemoryFile out("t.cdx", data);
    ASSERT_TRUE(writeCdx({a, b}, {}, &out).ok());
    std::unique_ptr<CdxReader> r;
    ASSERT_TRUE(CdxReader::open(std::make_unique<MemoryFile>("t.cdx", data), &r).ok());
    MemoryFile file("t.cdx", data);
    CdxTagUpdater upd(&file, r->tags().at(1));
    std::vector<Pair> live(mb.begin(), mb.end());
    for (int op = 0; op < 1500; ++op) {
        if (op % 3 == 2 && !live.empty()) {
            size_t i = rng() % live.size();
            ASSERT_TRUE(upd.remove(live[i].first, live[i].second).ok());
            mb.erase(mb.find(live[i]));
            live[i] = live.back();
            live.pop_back();
        } else {
            Pair p{wordKey(rng, 10, 6), 1000 + uint32_t(op)};
            ASSERT_TRUE(upd.insert(p.first, p.second).ok());
            mb.insert(p);
            live.push_back(p);
        }
    }
    ASSERT_TRUE(CdxReader::open(std::make_unique<MemoryFile>("t.cdx", data), &r).ok());
    CdxCheckStats st;
    Status s = checkCdx(*r, &st);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(walk(*r, r->tags().at(0)), std::vector<Pair>(ma.begin(), ma.end()));
    EXPECT_EQ(walk(*r, r->tags().at(1)), std::vector<Pair>(mb.begin(), mb.end()));
}

}  // namespace
