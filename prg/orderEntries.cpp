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
    // Last chunk whose start is <= pos.
    size_t lo = 0, hi = starts_.size();
    while (hi - lo > 1) {
        size_t mid = (lo + hi) / 2;
        if (starts_[mid] <= pos)
            lo = mid;
        else
            hi = mid;
    }
    chunkStart = starts_[lo];
    return lo;
}

const OrderEntry& OrderEntries::at(size_t pos) const {
    assert(pos < size_);
    size_t start;
    size_t c = locate(pos, start);
    return chunks_[c][pos - start];
}

void OrderEntries::insert(size_t pos, OrderEntry e) {
    ++version_;
    if (chunks_.empty()) {
        chunks_.emplace_back();
        chunks_.back().reserve(kChunk);
        chunks_.back().push_back(std::move(e));
        size_ = 1;
        startsDirty_ = true;
        return;
    }
    size_t start, c;
    if (pos >= size_) {
        c = chunks_.size() - 1;
        refreshStarts();
        start = starts_[c];
    } else {
        c = locate(pos, start);
    }
    auto& chunk = chunks_[c];
    chunk.insert(chunk.begin() + long(pos - start), std::move(e));
    ++size_;
    if (chunk.size() > kChunk) {
        std::vector<OrderEntry> tail;
        tail.reserve(kChunk);
        tail.assign(std::make_move_iterator(chunk.begin() + long(kChunk / 2)),
                    std::make_move_iterator(chunk.end()));
        chunk.resize(kChunk / 2);
        chunks_.insert(chunks_.begin() + long(c + 1), std::move(tail));
    }
    startsDirty_ = true;
}

void OrderEntries::erase(size_t pos) {
    assert(pos < size_);
    ++version_;
    size_t start;
    size_t c = locate(pos, start);
    auto& chunk = chunks_[c];
    chunk.erase(chunk.begin() + long(pos - start));
    --size_;
    if (chunk.empty()) chunks_.erase(chunks_.begin() + long(c));
    startsDirty_ = true;
}

void OrderEntries::clear() {
    ++version_;
    chunks_.clear();
    starts_.clear();
    size_ = 0;
    startsDirty_ = false;
}

void OrderEntries::assign(std::vector<OrderEntry> sorted) {
    clear();
    size_ = sorted.size();
    for (size_t i = 0; i < sorted.size(); i += kChunk / 2) {
        size_t end = std::min(sorted.size(), i + kChunk / 2);
        chunks_.emplace_back(std::make_move_iterator(sorted.begin() + long(i)),
                             std::make_move_iterator(sorted.begin() + long(end)));
    }
    startsDirty_ = true;
}
