// Randomized model test of the memory engine's orders: long runs of appends, writes,
// deletes, recalls, packs, focus and scope changes, seeks and skips, checked at every step
// against a plain reference model. Set URNALIA_MODEL_STEPS for a longer run; a failure
// prints its seed and step so it can be replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "TableLayer.h"
#include "arrayRdd.h"
#include "testSupport.h"

namespace {

struct ModelRecord {
    std::string k;
    int n = 0;
    bool deleted = false;
};

// A model order: entries (key, record, stamp) sorted by key then by the time they got it.
struct ModelOrder {
    std::string tag;
    bool logicalKey;                                  // "deleted()" order
    std::string (*key)(const ModelRecord&);
    bool (*cond)(const ModelRecord&);
};

struct Entry {
    std::string key;
    long rec;
    long stamp;
};

std::string keyK(const ModelRecord& r) { return r.k; }
std::string keyKN(const ModelRecord& r) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04d", r.n);
    return r.k + buf;
}
std::string keyDel(const ModelRecord&) { return "T"; }
bool notDeleted(const ModelRecord& r) { return !r.deleted; }
bool isDeleted(const ModelRecord& r) { return r.deleted; }

const ModelOrder kOrders[] = {
    {"K", false, keyK, notDeleted},
    {"DEL", true, keyDel, isDeleted},
    {"KN", false, keyKN, notDeleted},
};

// Prefix rule: a stored key that begins with the sought one is equal.
int cmpPrefix(const std::string& stored, const std::string& sought) {
    int c = stored.compare(0, sought.size(), sought);
    if (c != 0) return c < 0 ? -1 : 1;
    return stored.size() < sought.size() ? -1 : 0;
}

class Model {
public:
    std::vector<ModelRecord> recs;
    std::vector<std::vector<Entry>> entries{3};
    long stamp = 0;

    void reindex(long rec, const ModelRecord* before) {
        const ModelRecord& now = recs[size_t(rec - 1)];
        for (size_t o = 0; o < 3; ++o) {
            const ModelOrder& mo = kOrders[o];
            auto& es = entries[o];
            bool had = before && mo.cond(*before);
            bool has = mo.cond(now);
            bool sameKey = before && mo.key(*before) == mo.key(now);
            if (had && (!has || !sameKey)) {
                es.erase(std::find_if(es.begin(), es.end(), [&](const Entry& e) { return e.rec == rec; }));
            }
            if (has && (!had || !sameKey)) {
                // After the entries with the same key: equal keys in the order they got it.
                std::string k = mo.key(now);
                auto at = std::upper_bound(es.begin(), es.end(), k,
                                           [](const std::string& key, const Entry& e) { return key < e.key; });
                es.insert(at, {k, rec, ++stamp});
            }
        }
    }

    void pack() {
        std::vector<long> newNo(recs.size() + 1, 0);
        std::vector<ModelRecord> kept;
        for (size_t i = 0; i < recs.size(); ++i)
            if (!recs[i].deleted) {
                kept.push_back(recs[i]);
                newNo[i + 1] = long(kept.size());
            }
        recs = kept;
        for (auto& es : entries) {
            std::vector<Entry> k;
            for (auto& e : es)
                if (newNo[size_t(e.rec)]) k.push_back({e.key, newNo[size_t(e.rec)], e.stamp});
            es = k;
        }
    }
};

std::string randomKey(std::mt19937& rng, size_t len) {
    static const char letters[] = "ABC";
    std::string s;
    for (size_t i = 0; i < len; ++i) s += letters[rng() % 3];
    return s;
}

class ArrayRddModel : public EngineTest {
protected:
    Model m;
    int focus = 0;  // 0 natural, 1..3 orders
    std::vector<std::optional<std::string>> top{3}, bottom{3};
    long rec = 0;   // the model's idea of the current record
    bool eof = false;

    Value modelKeyValue(int o, const std::string& k) const {
        return kOrders[o].logicalKey ? Value(true) : Value(k);
    }

    // Scoped range [first, end) of the focused order.
    void scopeRange(size_t& first, size_t& end) const {
        const auto& es = m.entries[size_t(focus - 1)];
        first = 0;
        end = es.size();
        const auto& t = top[size_t(focus - 1)];
        const auto& b = bottom[size_t(focus - 1)];
        if (kOrders[focus - 1].logicalKey) return;  // scopes are only set on text orders
        if (t) while (first < es.size() && cmpPrefix(es[first].key, *t) < 0) ++first;
        if (b) {
            end = first;
            while (end < es.size() && cmpPrefix(es[end].key, *b) <= 0) ++end;
        }
    }

    long entryPos(long r) const {  // 1-based in the focused order, 0 when none
        const auto& es = m.entries[size_t(focus - 1)];
        for (size_t i = 0; i < es.size(); ++i)
            if (es[i].rec == r) return long(i) + 1;
        return 0;
    }

    void check(const char* what) {
        SCOPED_TRACE(what);
        long n = long(m.recs.size());
        ASSERT_EQ(LASTREC(), n);
        ASSERT_EQ(EOF_(), eof);
        if (eof) {
            ASSERT_EQ(RECNO(), n + 1);
        } else {
            ASSERT_EQ(RECNO(), rec);
        }
        if (focus == 0) return;
        size_t first, end;
        scopeRange(first, end);
        ASSERT_EQ(ORDKEYCOUNT(), n == 0 ? 0 : long(end - first));
        long pos = eof ? 0 : entryPos(rec);
        long expectNo = pos > long(first) && pos <= long(end) ? pos - long(first) : 0;
        ASSERT_EQ(ORDKEYNO(), n == 0 ? 0 : expectNo);
    }

    void goEof() {
        eof = true;
        rec = long(m.recs.size()) + 1;
    }

    void modelTop(bool bottomToo) {
        if (m.recs.empty()) {
            eof = true;
            rec = 1;
            return;
        }
        if (focus == 0) {
            eof = false;
            rec = bottomToo ? long(m.recs.size()) : 1;
            return;
        }
        size_t first, end;
        scopeRange(first, end);
        if (first >= end) return goEof();
        eof = false;
        rec = m.entries[size_t(focus - 1)][bottomToo ? end - 1 : first].rec;
    }

    void modelSkip(long k) {
        long n = long(m.recs.size());
        if (focus == 0) {
            long target = (eof ? n + 1 : rec) + k;
            if (k < 0 && target < 1) target = 1;
            if (n == 0) {
                eof = true;
                rec = 1;
            } else if (target > n) {
                goEof();
            } else {
                eof = false;
                rec = target;
            }
            return;
        }
        // One raw step at a time, as skipping does.
        for (long i = 0; i < std::labs(k); ++i) {
            size_t first, end;
            scopeRange(first, end);
            long c = long(end - first);
            if (c == 0) return goEof();
            long pos = eof ? 0 : entryPos(rec);
            long p = pos == 0 ? c + 1 : std::clamp(pos - long(first), 0L, c + 1);
            long dir = k < 0 ? -1 : 1;
            const auto& es = m.entries[size_t(focus - 1)];
            if (dir < 0 && p <= 1) {
                eof = false;
                rec = es[first].rec;
                return;  // BOF: further steps stay
            }
            if (dir > 0 && p + 1 > c) return goEof();
            eof = false;
            rec = es[first + size_t(p + dir - 1)].rec;
        }
    }

    // `growth`: how often (in 100) a step appends; high values build tables of thousands of
    // records, so that the engine's chunks of entries and blocks of rows fill and split.
    void run(unsigned seed, int steps, int growth = 18) {
        std::mt19937 rng(seed);
        ASSERT_TRUE(DBCREATE("modelo", {{"k", 'C', 3, 0}, {"n", 'N', 4, 0}}, "ARRAYRDD", true));
        const char* fors[] = {"!deleted()", "deleted()", "!deleted()"};
        const char* keys[] = {"k", "deleted()", "k + strZero(n,4)"};
        for (int o = 0; o < 3; ++o) {
            ORDCONDSET({.forText = fors[o]});
            ASSERT_TRUE(ORDCREATE("", kOrders[o].tag, keys[o]));
        }
        ORDSETFOCUS(Value(0));
        DBGOTOP();
        modelTop(false);
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            int op = int(rng() % 100);
            long n = long(m.recs.size());
            bool onRecord = !eof && n > 0;
            if (op < 18 || n == 0 || int(rng() % 100) < growth - 18) {  // append and fill
                ASSERT_TRUE(DBAPPEND());
                m.recs.push_back({"   ", 0, false});
                long r = long(m.recs.size());
                m.reindex(r, nullptr);
                rec = r;
                eof = false;
                std::string k = randomKey(rng, 3);
                int v = int(rng() % 20);
                ModelRecord before = m.recs[size_t(r - 1)];
                FIELDPUT(1, Value(k));
                m.recs[size_t(r - 1)].k = k;
                m.reindex(r, &before);
                before = m.recs[size_t(r - 1)];
                FIELDPUT(2, Value(v));
                m.recs[size_t(r - 1)].n = v;
                m.reindex(r, &before);
                ASSERT_NO_FATAL_FAILURE(check("append"));
            } else if (op < 30 && onRecord) {  // write a key field of the current record
                ModelRecord before = m.recs[size_t(rec - 1)];
                if (rng() % 2) {
                    std::string k = randomKey(rng, 3);
                    FIELDPUT(1, Value(k));
                    m.recs[size_t(rec - 1)].k = k;
                } else {
                    int v = int(rng() % 20);
                    FIELDPUT(2, Value(v));
                    m.recs[size_t(rec - 1)].n = v;
                }
                m.reindex(rec, &before);
                ASSERT_NO_FATAL_FAILURE(check("write"));
            } else if (op < 38 && onRecord) {  // delete or recall
                ModelRecord before = m.recs[size_t(rec - 1)];
                bool del = rng() % 3 != 0;
                ASSERT_TRUE(del ? DBDELETE() : DBRECALL());
                m.recs[size_t(rec - 1)].deleted = del;
                m.reindex(rec, &before);
                ASSERT_NO_FATAL_FAILURE(check("delete/recall"));
            } else if (op < 40) {  // pack
                ASSERT_TRUE(DBPACK_());
                m.pack();
                modelTop(false);
                ASSERT_NO_FATAL_FAILURE(check("pack"));
            } else if (op < 46) {  // focus
                focus = int(rng() % 4);
                ORDSETFOCUS(Value(focus));
                ASSERT_NO_FATAL_FAILURE(check("focus"));
            } else if (op < 54 && focus != 0 && focus != 2) {  // scope on a text order
                size_t len = rng() % 3;
                std::optional<std::string> v;
                if (rng() % 4) v = randomKey(rng, len);
                bool isTop = rng() % 2;
                (isTop ? top : bottom)[size_t(focus - 1)] = v;
                ORDSCOPE(isTop ? 0 : 1, v ? Value(*v) : Value());
                ASSERT_NO_FATAL_FAILURE(check("scope"));
            } else if (op < 66 && focus != 0) {  // seek
                bool soft = rng() % 2, last = rng() % 3 == 0;
                std::string k = randomKey(rng, rng() % 4);
                const auto& es = m.entries[size_t(focus - 1)];
                bool logical = kOrders[focus - 1].logicalKey;
                if (logical) k = "T";
                size_t firstEq = 0;
                while (firstEq < es.size() && cmpPrefix(es[firstEq].key, k) < 0) ++firstEq;
                bool any = firstEq < es.size() && cmpPrefix(es[firstEq].key, k) == 0;
                std::optional<size_t> pos;
                if (any) {
                    pos = firstEq;
                    if (last)
                        while (*pos + 1 < es.size() && cmpPrefix(es[*pos + 1].key, k) == 0) ++*pos;
                } else if (soft && firstEq < es.size()) {
                    pos = firstEq;
                }
                bool found = DBSEEK(modelKeyValue(focus - 1, k), soft, last);
                ASSERT_EQ(found, any);
                if (pos) {
                    eof = false;
                    rec = es[*pos].rec;
                } else {
                    goEof();
                }
                ASSERT_NO_FATAL_FAILURE(check("seek"));
            } else if (op < 88) {  // skip
                long k = long(rng() % 7) - 3;
                if (k == 0) k = 1;
                ASSERT_TRUE(DBSKIP(k));
                modelSkip(k);
                ASSERT_NO_FATAL_FAILURE(check("skip"));
            } else if (op < 94) {
                bool bottomToo = rng() % 2;
                bottomToo ? DBGOBOTTOM() : DBGOTOP();
                modelTop(bottomToo);
                ASSERT_NO_FATAL_FAILURE(check("top/bottom"));
            } else {
                long r = long(rng() % (n + 2));
                DBGOTO(r);
                if (r >= 1 && r <= n) {
                    rec = r;
                    eof = false;
                } else {
                    goEof();
                }
                ASSERT_NO_FATAL_FAILURE(check("goto"));
            }
            if (step % 50 == 49 && focus != 0) {
                // A full scoped walk from the top visits exactly the model's entries.
                std::vector<long> walk;
                for (DBGOTOP(); !EOF_(); DBSKIP(1)) walk.push_back(RECNO());
                size_t first, end;
                scopeRange(first, end);
                std::vector<long> expect;
                for (size_t i = first; i < end; ++i) expect.push_back(m.entries[size_t(focus - 1)][i].rec);
                ASSERT_EQ(walk, expect);
                goEof();
            }
        }
    }
};

TEST_F(ArrayRddModel, RandomOperationsAgreeWithTheModel) {
    int steps = 3000;
    int seeds = 8;
    if (const char* env = std::getenv("URNALIA_MODEL_STEPS")) {
        steps = std::max(1, std::atoi(env));
        seeds = 40;
    }
    for (unsigned seed = 1; seed <= unsigned(seeds); ++seed) {
        // The first seed grows a large table; the others keep it small and busy.
        ASSERT_NO_FATAL_FAILURE(run(seed, steps, seed == 1 ? 70 : 18));
        DBCLOSEALL();
        HB_ERASEARRAYRDD(Value("modelo"));
        m = Model();
        focus = 0;
        top.assign(3, std::nullopt);
        bottom.assign(3, std::nullopt);
    }
}

}  // namespace
