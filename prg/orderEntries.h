#pragma once
// The sorted entries of one memory-table order.
//
// An entry is a record number; its key is kept once per record in a table indexed by the
// record number, so that shifting entries moves plain integers. Entries live in contiguous
// chunks of at most kChunk, kept in key order; a lookup is a binary search over the chunks
// and then inside one chunk, and an insertion or a removal shifts only the entries behind
// it in its chunk. Positions are 0-based over the whole sequence.
//
// Each record also knows the chunk that holds its entry (by a chunk id that survives the
// insertion and removal of other chunks), so a record's own entry is found by a scan of
// one chunk however many records share its key.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "Value.h"

struct EntryRef {
    const Value& key;
    long rec;
};

class OrderEntries {
public:
    static constexpr size_t kChunk = 1024;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    EntryRef at(size_t pos) const;
    long recAt(size_t pos) const;
    // Whether record `rec` has an entry, and its key when it has.
    bool has(long rec) const { return rec > 0 && size_t(rec) <= slots_.size() && slots_[size_t(rec - 1)].present; }
    const Value& keyOf(long rec) const { return slots_[size_t(rec - 1)].key; }
    // Position of record `rec`'s entry; size() when the record has none.
    size_t positionOf(long rec) const;

    void insert(size_t pos, long rec, Value key);
    void erase(size_t pos);
    void clear();
    // Replaces every entry with `sorted` (record, key) pairs already in key order.
    void assign(std::vector<std::pair<long, Value>> sorted);
    // Number of entries before the first one for which `beforeKey(key)` is false; it
    // must be true for a leading run of entries and false for the rest.
    template <class Pred>
    size_t partitionPoint(Pred beforeKey) const;
    // Bumped on every change, so that readers can cache positions.
    unsigned long version() const { return version_; }

private:
    struct Slot {
        Value key;
        uint32_t chunk = 0;  // id of the chunk holding the entry
        bool present = false;
    };
    size_t locate(size_t pos, size_t& chunkStart) const;
    void refreshStarts() const;
    // Moves the starts of the chunks from `from` on by `by` entries (an entry came or went).
    void shiftStarts(size_t from, long by);
    void setFence(size_t chunk) { fences_[chunk] = slots_[chunks_[chunk].back() - 1].key; }
    void ensureRecord(long rec);
    // A new chunk at index `at` holding `recs`; the chunks behind it move up one.
    void insertChunk(size_t at, std::vector<uint32_t> recs);
    void eraseChunk(size_t at);
    void renumberFrom(size_t at);

    std::vector<std::vector<uint32_t>> chunks_;
    std::vector<Value> fences_;       // key of each chunk's last entry, for the first search level
    std::vector<uint32_t> ids_;       // id of each chunk
    std::vector<uint32_t> indexOf_;   // index of each chunk id
    std::vector<uint32_t> freeIds_;
    std::vector<Slot> slots_;         // by record number - 1
    mutable std::vector<size_t> starts_;
    mutable bool startsDirty_ = false;
    // The chunk that the last positional access found, for walks that go entry by entry.
    mutable size_t lastChunk_ = 0;
    size_t size_ = 0;
    unsigned long version_ = 0;
};

template <class Pred>
size_t OrderEntries::partitionPoint(Pred beforeKey) const {
    size_t lo = 0, hi = chunks_.size();
    while (lo < hi) {  // first chunk whose last entry is not before the key
        size_t mid = (lo + hi) / 2;
        if (beforeKey(fences_[mid]))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == chunks_.size()) return size_;
    const auto& c = chunks_[lo];
    size_t a = 0, b = c.size();
    while (a < b) {
        size_t mid = (a + b) / 2;
        if (beforeKey(slots_[c[mid] - 1].key))
            a = mid + 1;
        else
            b = mid;
    }
    refreshStarts();
    return starts_[lo] + a;
}
