// The chunked entry sequence against a plain vector, with enough entries to split and
// empty many chunks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "orderEntries.h"

TEST(OrderEntries, RandomInsertsAndErasesAgreeWithAVector) {
    std::mt19937 rng(7);
    OrderEntries e;
    std::vector<std::pair<int, long>> model;  // (key, rec) in order
    long nextRec = 1;
    for (int step = 0; step < 60000; ++step) {
        bool grow = model.size() < 3000 ? rng() % 3 != 0 : rng() % 3 == 0;
        if (grow || model.empty()) {
            int key = int(rng() % 500);
            auto it = std::upper_bound(model.begin(), model.end(), key,
                                       [](int k, const auto& p) { return k < p.first; });
            size_t pos = e.partitionPoint([&](const Value& k) { return k.num() <= key; });
            ASSERT_EQ(pos, size_t(it - model.begin()));
            long rec = nextRec++;
            e.insert(pos, rec, Value(key));
            model.insert(it, {key, rec});
        } else {
            size_t pos = rng() % model.size();
            ASSERT_EQ(e.recAt(pos), model[pos].second);
            ASSERT_TRUE(e.has(model[pos].second));
            e.erase(pos);
            ASSERT_FALSE(e.has(model[pos].second));
            model.erase(model.begin() + long(pos));
        }
        ASSERT_EQ(e.size(), model.size());
        if (step % 997 == 0) {
            for (size_t i = 0; i < model.size(); ++i) {
                ASSERT_EQ(e.recAt(i), model[i].second) << i;
                ASSERT_EQ(e.at(i).key.num(), model[i].first) << i;
            }
        }
    }
}

// Records that share a key are found at their own entry, with thousands of equal keys
// spread over many chunks that split and empty.
TEST(OrderEntries, EveryRecordIsFoundAmongManyEqualKeys) {
    std::mt19937 rng(11);
    OrderEntries e;
    std::vector<std::pair<int, long>> model;  // (key, rec) in order
    long nextRec = 1;
    for (int step = 0; step < 40000; ++step) {
        bool grow = model.size() < 5000 ? rng() % 4 != 0 : rng() % 3 == 0;
        if (grow || model.empty()) {
            int key = int(rng() % 3);
            auto it = std::upper_bound(model.begin(), model.end(), key,
                                       [](int k, const auto& p) { return k < p.first; });
            size_t pos = e.partitionPoint([&](const Value& k) { return k.num() <= key; });
            long rec = nextRec++;
            e.insert(pos, rec, Value(key));
            model.insert(it, {key, rec});
        } else {
            size_t pos = rng() % model.size();
            ASSERT_EQ(e.positionOf(model[pos].second), pos);
            e.erase(pos);
            ASSERT_EQ(e.positionOf(model[pos].second), e.size());
            model.erase(model.begin() + long(pos));
        }
        if (step % 499 == 0) {
            for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(e.positionOf(model[i].second), i) << i;
        }
    }
    ASSERT_EQ(e.positionOf(nextRec + 5), e.size());
}
