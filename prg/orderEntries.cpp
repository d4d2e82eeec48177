#include "orderEntries.h"

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
    return EntryRef{keys_[size_t(rec - 1)], rec};
}

void OrderEntries::insert(size_t pos, long rec, Value key) {
    assert(rec > 0 && !has(rec));
    ++version_;
    if (keys_.size() < size_t(rec)) {
        keys_.resize(size_t(rec));
        present_.resize(size_t(rec), 0);
    }
    keys_[size_t(rec - 1)] = std::move(key);
    present_[size_t(rec - 1)] = 1;
    ++size_;
    if (chunks_.empty()) {
        chunks_.emplace_back().push_back(uint32_t(rec));
        fences_.push_back(keys_[size_t(rec - 1)]);
        startsDirty_ = true;
        return;
    }
    size_t start, c;
    if (pos >= size_ - 1) {
        c = chunks_.size() - 1;
        start = size_ - 1 - chunks_[c].size();
    } else {
        c = locate(pos, start);
    }
    auto& chunk = chunks_[c];
    chunk.insert(chunk.begin() + long(pos - start), uint32_t(rec));
    if (chunk.size() > kChunk) {
        std::vector<uint32_t> tail(chunk.begin() + long(kChunk / 2), chunk.end());
        chunk.resize(kChunk / 2);
        chunks_.insert(chunks_.begin() + long(c + 1), std::move(tail));
        fences_.insert(fences_.begin() + long(c + 1), Value());
        setFence(c + 1);
    }
    setFence(c);
    startsDirty_ = true;  // after locate(), which refreshed the starts
}

void OrderEntries::erase(size_t pos) {
    assert(pos < size_);
    ++version_;
    size_t start;
    size_t c = locate(pos, start);
    auto& chunk = chunks_[c];
    uint32_t rec = chunk[pos - start];
    present_[rec - 1] = 0;
    keys_[rec - 1] = Value();
    chunk.erase(chunk.begin() + long(pos - start));
    --size_;
    if (chunk.empty()) {
        chunks_.erase(chunks_.begin() + long(c));
        fences_.erase(fences_.begin() + long(c));
    } else {
        setFence(c);
    }
    startsDirty_ = true;
}

void OrderEntries::clear() {
    ++version_;
    chunks_.clear();
    fences_.clear();
    keys_.clear();
    present_.clear();
    starts_.clear();
    size_ = 0;
    startsDirty_ = false;
}

void OrderEntries::assign(std::vector<std::pair<long, Value>> sorted) {
    clear();
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i % (kChunk / 2) == 0) chunks_.emplace_back().reserve(kChunk / 2);
        long rec = sorted[i].first;
        if (keys_.size() < size_t(rec)) {
            keys_.resize(size_t(rec));
            present_.resize(size_t(rec), 0);
        }
        keys_[size_t(rec - 1)] = std::move(sorted[i].second);
        present_[size_t(rec - 1)] = 1;
        chunks_.back().push_back(uint32_t(rec));
    }
    size_ = sorted.size();
    fences_.resize(chunks_.size());
    for (size_t c = 0; c < chunks_.size(); ++c) setFence(c);
    startsDirty_ = true;
}
