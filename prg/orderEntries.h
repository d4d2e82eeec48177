#pragma once
// The sorted entries of one memory-table order.
//
// Entries live in contiguous chunks of at most kChunk entries, kept in key order; a lookup
// is a binary search over the chunks and then inside one chunk, and an insertion or a
// removal shifts only the entries behind it in its chunk. Positions are 0-based over the
// whole sequence.
#include <cstddef>
#include <vector>

#include "Value.h"

struct OrderEntry {
    Value key;
    long rec = 0;
};

class OrderEntries {
public:
    static constexpr size_t kChunk = 512;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const OrderEntry& at(size_t pos) const;
    void insert(size_t pos, OrderEntry e);
    void erase(size_t pos);
    void clear();
    // Replaces every entry (already sorted) in one go.
    void assign(std::vector<OrderEntry> sorted);
    // Number of entries before the first one for which `beforeKey` is false; `beforeKey`
    // must be true for a leading run of entries and false for the rest.
    template <class Pred>
    size_t partitionPoint(Pred beforeKey) const;
    // Bumped on every change, so that readers can cache positions.
    unsigned long version() const { return version_; }

private:
    // Chunk holding `pos` and the position of that chunk's first entry.
    size_t locate(size_t pos, size_t& chunkStart) const;
    void refreshStarts() const;

    std::vector<std::vector<OrderEntry>> chunks_;
    mutable std::vector<size_t> starts_;
    mutable bool startsDirty_ = false;
    size_t size_ = 0;
    unsigned long version_ = 0;
};

template <class Pred>
size_t OrderEntries::partitionPoint(Pred beforeKey) const {
    // First chunk whose last entry is not before the key.
    size_t lo = 0, hi = chunks_.size();
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (beforeKey(chunks_[mid].back()))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == chunks_.size()) return size_;
    const auto& c = chunks_[lo];
    size_t a = 0, b = c.size();
    while (a < b) {
        size_t mid = (a + b) / 2;
        if (beforeKey(c[mid]))
            a = mid + 1;
        else
            b = mid;
    }
    refreshStarts();
    return starts_[lo] + a;
}
