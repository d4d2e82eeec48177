#pragma once
// The rows of one memory table.
//
// Rows the engine makes live in blocks of kBlockRows rows, `width` values per row, so reading
// a field is one step from the record number and growing never moves the rows already there. Once a caller hands the table its own rows
// (HB_SETARRAYRDD), the store keeps that array of rows by reference instead: later changes
// to it are changes to the table, and rows that are short or not arrays read as empty.
#include <cstddef>
#include <vector>

#include "Value.h"

class RowStore {
public:
    static constexpr size_t kBlockRows = 1024;

    void setWidth(size_t width) { width_ = width; }
    long count() const { return shared_ ? long(shared_->size()) : long(rows_); }
    // Field `field` (1-based) of record `rec` (1-based); nullptr when a shared row lacks it.
    const Value* cell(long rec, int field) const;
    // The whole row of `rec` for writing, completed to the width with `blank`'s values.
    Value* row(long rec, const Array& blank);
    void append(const Array& blank);
    void removeLast();
    // Keeps the records whose flag is set, in order (record numbers move up).
    void keep(const std::vector<bool>& keepRecord);
    void clear();
    void share(ArrayRef rows);

private:
    Value* own(size_t index0) {
        return &blocks_[index0 / kBlockRows][(index0 % kBlockRows) * width_];
    }

    size_t width_ = 0;
    size_t rows_ = 0;
    std::vector<std::vector<Value>> blocks_;
    ArrayRef shared_;
};
