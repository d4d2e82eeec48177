// Row blocks: appends, removals and packs across block boundaries keep every row's values.
#include <gtest/gtest.h>

#include "rowStore.h"

TEST(RowStore, PacksAcrossBlocks) {
    RowStore rows;
    rows.setWidth(2);
    const Array blank{Value(0), Value("")};
    const long n = long(RowStore::kBlockRows) * 3 + 17;
    for (long r = 1; r <= n; ++r) {
        rows.append(blank);
        Value* row = rows.row(r, blank);
        row[0] = Value(r);
        row[1] = Value(std::to_string(r));
    }
    rows.removeLast();
    ASSERT_EQ(rows.count(), n - 1);
    std::vector<bool> keep(size_t(n - 1));
    for (size_t i = 0; i < keep.size(); ++i) keep[i] = i % 3 == 1;  // records 2, 5, 8, ...
    rows.keep(keep);
    ASSERT_EQ(rows.count(), (n - 1) / 3);
    for (long r = 1; r <= rows.count(); ++r) {
        long original = 3 * r - 1;
        ASSERT_EQ(rows.cell(r, 1)->num(), original);
        ASSERT_EQ(rows.cell(r, 2)->text(), std::to_string(original));
    }
    rows.append(blank);  // appending after a pack fills the last block again
    EXPECT_EQ(rows.cell(rows.count(), 1)->num(), 0);
    rows.clear();
    EXPECT_EQ(rows.count(), 0);
}
