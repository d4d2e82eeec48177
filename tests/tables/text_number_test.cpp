// The numbers and dates written into DBF fields: the quick forms for whole numbers and
// ordinary dates give the same text as the general formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "Date.h"
#include "Text.h"

namespace {

std::string printed(double n, int decimals) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, text::roundDecimals(n, decimals));
    std::string s = buf;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

}  // namespace

TEST(FieldNumber, WholeAndRoundedNumbersAsPrintfWritesThem) {
    std::mt19937_64 rng(11);
    std::vector<double> values = {0.0, -0.0, 1, -1, 9, 10, -10, 999999999999999.0, -999999999999999.0,
                                  1e15, -1e15, 0.5, -0.5, 2.675, 1.005, -0.004, 123456.789, 1e20};
    for (int i = 0; i < 2000; ++i) {
        int64_t whole = int64_t(rng() % 2000000) - 1000000;
        values.push_back(double(whole));
        values.push_back(double(whole) / 100);
        values.push_back(double(int64_t(rng() >> 14)) * (i % 2 ? 1 : -1));
    }
    for (double v : values)
        for (int dec : {0, 1, 2, 3, 6})
            ASSERT_EQ(text::fieldNumber(v, dec), printed(v, dec)) << v << " with " << dec << " decimals";
}

TEST(DateDtos, SameDigitsAsPrintf) {
    for (int y : {1, 9, 10, 99, 100, 999, 1000, 1999, 2026, 9999})
        for (int m : {1, 9, 10, 12})
            for (int d : {1, 9, 10, 28}) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
                ASSERT_EQ(Date::fromYmd(y, m, d).dtos(), buf);
            }
    EXPECT_EQ(Date().dtos(), "        ");
}
