// Natural order of device names.
#include "devices/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(NaturalOrder, NumbersCompareByValue)
{
    const std::pair<const char*, const char*> less[] = {
        {"ttyUSB2", "ttyUSB10"},
        {"ttyS9", "ttyS10"},
        {"ttyS1", "ttyS01"}, // equal values: fewer leading zeros first
        {"ttyS01", "ttyS2"},
        {"ttyACM0", "ttyUSB0"},
        {"port", "port0"},
        {"", "a"},
        {"a1b", "a1c"},
        {"a-1", "a1"}, // digits stand where their bytes do among the other characters
        {"x99999999999999999999", "x100000000000000000000"},
        {"if00-port0", "if00-port1"},
    };
    for (const auto& [a, b] : less) {
        SCOPED_TRACE(std::string(a) + " < " + b);
        EXPECT_TRUE(NaturalLess(a, b));
        EXPECT_FALSE(NaturalLess(b, a));
        EXPECT_FALSE(NaturalLess(a, a));
    }
}

TEST(NaturalOrder, SortsANodeListAsAPersonReadsIt)
{
    std::vector<std::string> names = {"ttyUSB10", "ttyS31", "ttyUSB2", "ttyS4", "ttyUSB1", "ttyS0", "ttyUSB002"};
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return NaturalLess(a, b); });
    EXPECT_EQ(names, (std::vector<std::string>{"ttyS0", "ttyS4", "ttyS31", "ttyUSB1", "ttyUSB2", "ttyUSB002",
                                               "ttyUSB10"}));
}

} // namespace
