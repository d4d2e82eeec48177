#include "orderEntries.h"

#include <algorithm>
#include <cassert>

void OrderEntries::refreshStarts() const {
    if (!startsDirty_ && starts_.size() == chunks_.size()) return;
    starts_.resize(chunks_.size());
    size_t s = 0;
    for (size_t i = 0; i < chunks_.size(); ++i) {
        starts_[i] = s;
        s += chunks_[i].size();
    }
    startsDirty_ = false;
}

void OrderEntries::shiftStarts(size_t from, long by) {
    for (size_t i = from; i < starts_.size(); ++i) starts_[i] = size_t(long(starts_[i]) + by);
}

size_t OrderEntries::locate(size_t pos, size_t& chunkStart) const {
    refreshStarts();
    if (lastChunk_ < chunks_.size() && starts_[lastChunk_] <= pos &&
        pos < starts_[lastChunk_] + chunks_[lastChunk_].size()) {
        chunkStart = starts_[lastChunk_];
        return lastChunk_;
    }
    size_t lo = 0, hi = starts_.size();  // last chunk whose start is <= pos
    while (hi - lo > 1) {
        size_t mid = (lo + hi) / 2;
        if (starts_[mid] <= pos)
            lo = mid;
        else
            hi = mid;
    }
    chunkStart = starts_[lo];
    lastChunk_ = lo;
    return lo;
}

long OrderEntries::recAt(size_t pos) const {
    assert(pos < size_);
    size_t start;
    size_t c = locate(pos, start);
    return long(chunks_[c][pos - start]);
}

EntryRef OrderEntries::at(size_t pos) const {
    long rec = recAt(pos);
    return EntryRef{slots_[size_t(rec - 1)].key, rec};
}

size_t OrderEntries::positionOf(long rec) const {
    if (!has(rec)) return size_;
    size_t c = indexOf_[slots_[size_t(rec - 1)].chunk];
    const std::vector<uint32_t>& chunk = chunks_[c];
    auto it = std::find(chunk.begin(), chunk.end(), uint32_t(rec));
    assert(it != chunk.end());
    refreshStarts();
    lastChunk_ = c;
    return starts_[c] + size_t(it - chunk.begin());
}

void OrderEntries::ensureRecord(long rec) {
    if (slots_.size() < size_t(rec)) slots_.resize(size_t(rec));
}

void OrderEntries::renumberFrom(size_t at) {
    for (size_t i = at; i < ids_.size(); ++i) indexOf_[ids_[i]] = uint32_t(i);
}

void OrderEntries::insertChunk(size_t at, std::vector<uint32_t> recs) {
    uint32_t id;
    if (!freeIds_.empty()) {
        id = freeIds_.back();
        freeIds_.pop_back();
    } else {
        id = uint32_t(indexOf_.size());
        indexOf_.push_back(0);
    }
    for (uint32_t r : recs) slots_[r - 1].chunk = id;
    chunks_.insert(chunks_.begin() + long(at), std::move(recs));
    fences_.insert(fences_.begin() + long(at), Value());
    ids_.insert(ids_.begin() + long(at), id);
    renumberFrom(at);
    setFence(at);
}

void OrderEntries::eraseChunk(size_t at) {
    freeIds_.push_back(ids_[at]);
    chunks_.erase(chunks_.begin() + long(at));
    fences_.erase(fences_.begin() + long(at));
    ids_.erase(ids_.begin() + long(at));
    renumberFrom(at);
}

void OrderEntries::insert(size_t pos, long rec, Value key) {
    assert(rec > 0 && !has(rec));
    ++version_;
    ensureRecord(rec);
    Slot& slot = slots_[size_t(rec - 1)];
    slot.key = std::move(key);
    slot.present = true;
    ++size_;
    if (chunks_.empty()) {
        insertChunk(0, {uint32_t(rec)});
        startsDirty_ = true;
        return;
    }
    refreshStarts();
    size_t start, c;
    if (pos >= size_ - 1) {
        c = chunks_.size() - 1;
        start = size_ - 1 - chunks_[c].size();
    } else {
        c = locate(pos, start);
    }
    auto& chunk = chunks_[c];
    chunk.insert(chunk.begin() + long(pos - start), uint32_t(rec));
    slot.chunk = ids_[c];
    shiftStarts(c + 1, 1);
    if (chunk.size() > kChunk) {
        std::vector<uint32_t> tail(chunk.begin() + long(kChunk / 2), chunk.end());
        chunk.resize(kChunk / 2);
        starts_.insert(starts_.begin() + long(c + 1), starts_[c] + kChunk / 2);
        insertChunk(c + 1, std::move(tail));
    }
    setFence(c);
}

void OrderEntries::erase(size_t pos) {
    assert(pos < size_);
    ++version_;
    size_t start;
    size_t c = locate(pos, start);
    auto& chunk = chunks_[c];
    uint32_t rec = chunk[pos - start];
    slots_[rec - 1] = Slot{};
    chunk.erase(chunk.begin() + long(pos - start));
    --size_;
    shiftStarts(c + 1, -1);
    if (chunk.empty()) {
        eraseChunk(c);
        starts_.erase(starts_.begin() + long(c));
        lastChunk_ = 0;
    } else {
        setFence(c);
    }
}

void OrderEntries::clear() {
    ++version_;
    chunks_.clear();
    fences_.clear();
    ids_.clear();
    indexOf_.clear();
    freeIds_.clear();
    slots_.clear();
    starts_.clear();
    size_ = 0;
    startsDirty_ = false;
    lastChunk_ = 0;
}

void OrderEntries::assign(std::vector<std::pair<long, Value>> sorted) {
    clear();
    std::vector<uint32_t> chunk;
    for (size_t i = 0; i < sorted.size(); ++i) {
        long rec = sorted[i].first;
        ensureRecord(rec);
        slots_[size_t(rec - 1)].key = std::move(sorted[i].second);
        slots_[size_t(rec - 1)].present = true;
        chunk.push_back(uint32_t(rec));
        if (chunk.size() == kChunk / 2 || i + 1 == sorted.size()) {
            insertChunk(chunks_.size(), std::move(chunk));
            chunk.clear();
        }
    }
    size_ = sorted.size();
    startsDirty_ = true;
}
