// Cell notations and the decimal reading of operator input.
#include <gtest/gtest.h>

#include <limits>

#include "ui/value_text.h"

namespace {

struct CellCase
{
    int32_t value;
    bool word;
    const char* dec;
    const char* hex;
    const char* bcd;
    const char* bin;
};

const CellCase kCellCases[] = {
    {0x1234, true, "4660", "1234", "1234", "00010010 00110100"},
    {0xFFFF, true, "65535", "FFFF", "----", "11111111 11111111"},
    {0x12AB, true, "4779", "12AB", "----", "00010010 10101011"},
    {0x0000, true, "0", "0000", "0000", "00000000 00000000"},
    {0x0901, true, "2305", "0901", "0901", "00001001 00000001"},
    {0x45, false, "69", "45", "45", "01000101"},
    {0xA5, false, "165", "A5", "--", "10100101"},
    {0x00, false, "0", "00", "00", "00000000"},
    {0xFF, false, "255", "FF", "--", "11111111"},
};

TEST(ValueText, FormatCellGivesTheFourColumns)
{
    for (const CellCase& c : kCellCases) {
        SCOPED_TRACE(c.value);
        const CellTexts texts = FormatCell(c.value, c.word);
        EXPECT_EQ(texts.dec, QString::fromLatin1(c.dec));
        EXPECT_EQ(texts.hex, QString::fromLatin1(c.hex));
        EXPECT_EQ(texts.bcd, QString::fromLatin1(c.bcd));
        EXPECT_EQ(texts.bin, QString::fromLatin1(c.bin));
    }
}

TEST(ValueText, TwoDigitBcdTestsAllFourNibbles)
{
    // The low byte 0x45 is valid BCD, but the upper nibbles are not.
    EXPECT_EQ(FormatBcd(0xA045, 2), QStringLiteral("--"));
    EXPECT_EQ(FormatBcd(0x1945, 2), QStringLiteral("45"));
    // Only the low 16 bits count.
    EXPECT_EQ(FormatBcd(0x7FFF1234, 4), QStringLiteral("1234"));
}

TEST(ValueText, FormatBinGroupsFromTheRight)
{
    EXPECT_EQ(FormatBin(0x5, 8, 4), QStringLiteral("0000 0101"));
    EXPECT_EQ(FormatBin(0x5, 3, 0), QStringLiteral("101"));
    EXPECT_EQ(FormatBin(0x8001, 16, 8), QStringLiteral("10000000 00000001"));
}

struct ReadCase
{
    const char* text;
    int32_t value;
};

const ReadCase kReadCases[] = {
    {"  -12x", -12},
    {"12.5", 12},
    {"", 0},
    {"abc", 0},
    {"-", 0},
    {"+7", 7},
    {"\t 42", 42},
    {"4 2", 4},
    {"x12", 0},
    {"- 5", 0},
    {"00065535", 65535},
    {"2147483647", std::numeric_limits<int32_t>::max()},
    {"2147483648", std::numeric_limits<int32_t>::max()},
    {"99999999999999", std::numeric_limits<int32_t>::max()},
    {"-2147483648", std::numeric_limits<int32_t>::min()},
    {"-99999999999999999999999999", std::numeric_limits<int32_t>::min()},
};

TEST(ValueText, ReadDecimalTakesTheLeadingNumberAndSaturates)
{
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadDecimal(QString::fromLatin1(c.text)), c.value);
    }
}

} // namespace
