// Damaged tables and memo files: every damage found by fuzzing gives a clear error and
// leaves the files as they were.
#include <gtest/gtest.h>

#include "dbfFormat.h"
#include "dbfMemo.h"

using namespace dbf;

// A header whose next-free pointer lies far past the end of the file must not make an
// append grow the file by the gap (it once tried to write gigabytes into memory).
TEST(DbfDamaged, NextFreeBlockPastTheEndRefusesAppends) {
    struct Case {
        uint32_t nextFree;  // with block size 64 and a file of 8 blocks (512 bytes)
        bool accepted;
    };
    // 9: the last block may stop short, as some writers leave it.
    const Case cases[] = {{8, true}, {9, true}, {10, false}, {0x00100000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nextFree);
        auto data = std::make_shared<std::string>();
        std::unique_ptr<FptMemo> m;
        ASSERT_TRUE(FptMemo::create(std::make_unique<MemoryFile>("m.fpt", data), 64, &m).ok());
        putBe32(data->data(), c.nextFree);
        const std::string before = *data;
        ASSERT_TRUE(FptMemo::open(std::make_unique<MemoryFile>("m.fpt", data), &m).ok());
        uint32_t block = 0;
        Status s = m->append("texto", FptMemo::kTypeText, &block);
        if (c.accepted) {
            ASSERT_TRUE(s.ok()) << s.toString();
            EXPECT_EQ(block, c.nextFree);
            continue;
        }
        EXPECT_EQ(s.code(), Status::Code::Corruption);
        EXPECT_NE(s.message().find("m.fpt: next free block " + std::to_string(c.nextFree)),
                  std::string::npos)
            << s.message();
        EXPECT_EQ(*data, before);
    }
}
