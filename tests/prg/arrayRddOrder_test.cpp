// Orders of the memory engine where it differs from the disk driver: equal keys keep the order
// in which they got their key. The shared cases are in orderContract_test.cpp.
#include <gtest/gtest.h>

#include "TableLayer.h"
#include "arrayRdd.h"
#include "testSupport.h"

namespace {

class MemoryOrders : public EngineTest {
protected:
    // Table "claves" with a text field C holding `keys` in record order, tag "C" on it.
    void makeKeys(const std::vector<std::string>& keys, const std::string& forText = "") {
        ASSERT_TRUE(DBCREATE("claves", {{"c", 'C', 3, 0}, {"v", 'N', 3, 0}}, "ARRAYRDD", true));
        for (const auto& k : keys) {
            DBAPPEND();
            FIELDPUT(1, Value(k));
        }
        if (!forText.empty()) ORDCONDSET({.forText = forText});
        ASSERT_TRUE(ORDCREATE("", "c", "c"));
    }
    std::string walk() {
        std::string s;
        for (DBGOTOP(); !EOF_(); DBSKIP(1)) s += FIELDGET(1).text() + std::to_string(RECNO()) + " ";
        return s;
    }
};

TEST_F(MemoryOrders, EqualKeysKeepTheOrderInWhichTheyGotTheKey) {
    makeKeys({"X", "Y", "X", "X"});
    EXPECT_EQ(walk(), "X  1 X  3 X  4 Y  2 ");
    DBGOTO(2);
    FIELDPUT(1, Value("X"));  // goes after the records that already had X
    EXPECT_EQ(walk(), "X  1 X  3 X  4 X  2 ");
    DBGOTO(3);
    FIELDPUT(2, Value(5));  // not part of the key: keeps its place
    EXPECT_EQ(walk(), "X  1 X  3 X  4 X  2 ");
    DBGOTO(1);
    FIELDPUT(1, Value("X"));  // same key written again: keeps its place
    EXPECT_EQ(walk(), "X  1 X  3 X  4 X  2 ");
}

}  // namespace
