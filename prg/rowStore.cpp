#include "rowStore.h"

const Value* RowStore::cell(long rec, int field) const {
    if (!shared_) {
        size_t i = size_t(rec - 1);
        return &blocks_[i / kBlockRows][(i % kBlockRows) * width_ + size_t(field - 1)];
    }
    const Value& r = (*shared_)[size_t(rec - 1)];
    if (!r.isArray() || size_t(field) > r.array()->size()) return nullptr;
    return &(*r.array())[size_t(field - 1)];
}

Value* RowStore::row(long rec, const Array& blank) {
    if (!shared_) return width_ ? own(size_t(rec - 1)) : nullptr;
    Value& r = (*shared_)[size_t(rec - 1)];
    if (!r.isArray()) r = Value(Array{});
    Array& cells = *r.array();
    for (size_t i = cells.size(); i < blank.size(); ++i) cells.push_back(blank[i]);
    return cells.data();
}

void RowStore::append(const Array& blank) {
    if (shared_) {
        shared_->push_back(Value(blank));
        return;
    }
    if (rows_ % kBlockRows == 0) blocks_.emplace_back().reserve(kBlockRows * width_);
    blocks_.back().insert(blocks_.back().end(), blank.begin(), blank.end());
    ++rows_;
}

void RowStore::removeLast() {
    if (shared_) {
        shared_->pop_back();
        return;
    }
    --rows_;
    blocks_.back().resize(blocks_.back().size() - width_);
    if (blocks_.back().empty()) blocks_.pop_back();
}

void RowStore::keep(const std::vector<bool>& keepRecord) {
    size_t n = size_t(count()), out = 0;
    for (size_t r = 0; r < n; ++r) {
        if (!keepRecord[r]) continue;
        if (out != r) {
            if (shared_) {
                (*shared_)[out] = std::move((*shared_)[r]);
            } else {
                Value* from = own(r);
                Value* to = own(out);
                for (size_t f = 0; f < width_; ++f) to[f] = std::move(from[f]);
            }
        }
        ++out;
    }
    if (shared_) {
        shared_->resize(out);  // the caller's own array: it sees the pack
        return;
    }
    rows_ = out;
    blocks_.resize((out + kBlockRows - 1) / kBlockRows);
    if (!blocks_.empty()) blocks_.back().resize((out - (blocks_.size() - 1) * kBlockRows) * width_);
}

void RowStore::clear() {
    if (shared_) shared_->clear();
    blocks_.clear();
    rows_ = 0;
}

void RowStore::share(ArrayRef rows) {
    blocks_.clear();
    rows_ = 0;
    shared_ = std::move(rows);
}
