// The memory image: defaults, address map, cell index, range walk, reset
// and the status byte.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/plc_image.h"

namespace {

struct MapCase
{
    int32_t address;
    PlcArea area;
    int db;    // for DB
    int index; // CellIndex in that area, -1 for none
};

std::vector<std::pair<int32_t, int>> Walk(const PlcImage& image, int32_t start, int32_t end,
                                          ResolvedAddress* where = nullptr)
{
    std::vector<std::pair<int32_t, int>> visited;
    const ResolvedAddress resolved = image.WalkRange(
        start, end, [&](int32_t address, int index) { visited.emplace_back(address, index); });
    if (where)
        *where = resolved;
    return visited;
}

void ExpectMap(const PlcImage& image, const MapCase& c)
{
    SCOPED_TRACE(testing::Message() << "address 0x" << std::hex << c.address);
    const ResolvedAddress where = image.ResolveAddress(c.address);
    EXPECT_EQ(where.area, c.area);
    if (c.area == PlcArea::DB) {
        EXPECT_EQ(where.db, c.db);
    }
    if (c.area != PlcArea::None && c.area != PlcArea::System) {
        EXPECT_EQ(image.CellIndex(where.area, where.db, c.address), c.index);
    }
}

TEST(PlcImageTest, DefaultsAtCreation)
{
    PlcImage image;
    EXPECT_TRUE(image.IsRunning());
    EXPECT_TRUE(image.IsBatteryOk());
    for (int db : {0, 1, 5, 127}) {
        const DbDirectoryEntry entry = image.DbEntry(db);
        EXPECT_EQ(entry.start, 0xE08A - 0x100 * db);
        EXPECT_EQ(entry.exists, 1);
        EXPECT_EQ(entry.length, 128);
    }
    EXPECT_EQ(image.DbEntry(127).start, 0x618A);
    const AreaBases bases = image.Bases();
    EXPECT_EQ(bases.eb, 0xEF00);
    EXPECT_EQ(bases.ab, 0xEF80);
    EXPECT_EQ(bases.mb, 0xEE00);
    EXPECT_EQ(bases.t, 0xEC00);
    EXPECT_EQ(bases.z, 0xED00);
    EXPECT_EQ(bases.system, 0xEA00);
    EXPECT_EQ(image.ReadDbWord(127, 127), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 255), 0);
}

TEST(PlcImageTest, DirectoryBeyondBlock127IsEmptyAndFixed)
{
    PlcImage image;
    image.SetDbStart(200, 0x1000);
    image.SetDbExists(200, true);
    image.SetDbLength(200, 10);
    for (int db : {128, 200, 255}) {
        const DbDirectoryEntry entry = image.DbEntry(db);
        EXPECT_EQ(entry.start, 0);
        EXPECT_EQ(entry.exists, 0);
        EXPECT_EQ(entry.length, 0);
    }
}

TEST(PlcImageTest, AddressMapWithDefaults)
{
    PlcImage image;
    const MapCase cases[] = {
        {0xE08A, PlcArea::DB, 0, 0},       {0xE08B, PlcArea::DB, 0, 0},
        {0xE189, PlcArea::DB, 0, 127},     {0xE18A, PlcArea::None, -1, -1},
        {0xDF8A, PlcArea::DB, 1, 0},       {0xE089, PlcArea::DB, 1, 127},
        {0x618A, PlcArea::DB, 127, 0},     {0x6189, PlcArea::None, -1, -1},
        {0xEA00, PlcArea::System, -1, -1}, {0xEBFF, PlcArea::System, -1, -1},
        {0xEC00, PlcArea::T, -1, 0},       {0xECFE, PlcArea::T, -1, 127},
        {0xECFF, PlcArea::T, -1, 127},     {0xED00, PlcArea::Z, -1, 0},
        {0xEDFF, PlcArea::Z, -1, 127},     {0xEE00, PlcArea::MB, -1, 0},
        {0xEEFF, PlcArea::MB, -1, 255},    {0xEF00, PlcArea::EB, -1, 0},
        {0xEF7F, PlcArea::EB, -1, 127},    {0xEF80, PlcArea::AB, -1, 0},
        {0xEFFF, PlcArea::AB, -1, 127},    {0xF000, PlcArea::None, -1, -1},
        {0x0000, PlcArea::None, -1, -1},   {0xFFFF, PlcArea::None, -1, -1},
    };
    for (const MapCase& c : cases)
        ExpectMap(image, c);
}

TEST(PlcImageTest, LowestBlockWinsAndBlocksGoBeforeAreas)
{
    PlcImage image;
    image.SetDbStart(5, 0xE090);
    ExpectMap(image, {0xE090, PlcArea::DB, 0, 3});
    // DB 5's window runs past DB 0's end, and there DB 5 is the only holder.
    ExpectMap(image, {0xE18A, PlcArea::DB, 5, 125});

    image.SetDbStart(7, 0xEC00);
    ExpectMap(image, {0xEC00, PlcArea::DB, 7, 0});
    ExpectMap(image, {0xECFF, PlcArea::DB, 7, 127});
    ExpectMap(image, {0xED00, PlcArea::Z, -1, 0});
}

TEST(PlcImageTest, MovedBaseEmptiesAnAreaAndStretchesTheOneBelow)
{
    PlcImage image;
    image.SetAreaBase(PlcArea::Z, 0xEE80);
    ExpectMap(image, {0xED00, PlcArea::T, -1, -1});
    ExpectMap(image, {0xEE7F, PlcArea::T, -1, -1});
    ExpectMap(image, {0xEE80, PlcArea::MB, -1, 128});
    ExpectMap(image, {0xEEFF, PlcArea::MB, -1, 255});
    for (int32_t a = 0; a <= 0xFFFF; ++a)
        ASSERT_NE(image.ResolveAddress(a).area, PlcArea::Z) << a;
}

TEST(PlcImageTest, SystemBaseIsFixedForTheOperator)
{
    PlcImage image;
    image.SetAreaBase(PlcArea::System, 0x1000);
    EXPECT_EQ(image.AreaBase(PlcArea::System), 0xEA00);
    image.SetAreaBase(PlcArea::EB, 0x1000);
    EXPECT_EQ(image.AreaBase(PlcArea::EB), 0x1000);
}

TEST(PlcImageTest, AddressesBelowTheBaseReachNoCell)
{
    PlcImage image;
    // Truncation toward zero must not turn base - 1 into cell 0.
    EXPECT_EQ(image.CellIndex(PlcArea::T, -1, 0xEBFF), -1);
    EXPECT_EQ(image.CellIndex(PlcArea::DB, 0, 0xE089), -1);
    EXPECT_EQ(image.CellIndex(PlcArea::MB, -1, 0xEDFF), -1);
    EXPECT_EQ(image.CellIndex(PlcArea::DB, 128, 0xE08A), -1);
}

TEST(PlcImageTest, ExtremeStoredAddressesDoNotOverflow)
{
    PlcImage image;
    image.SetDbStart(0, INT32_MAX - 10);
    image.SetDbStart(1, INT32_MIN);
    image.SetAreaBase(PlcArea::AB, INT32_MAX);
    EXPECT_EQ(image.FindDb(0xDF8A), -1);
    EXPECT_EQ(image.FindDb(0xDD8A), 3);
    EXPECT_EQ(image.ResolveAddress(0xEF80).area, PlcArea::EB);
    EXPECT_EQ(image.CellIndex(PlcArea::DB, 1, 0xFFFF), -1);
}

TEST(PlcImageTest, WalkStaysInTheAreaResolvedOnStart)
{
    PlcImage image;
    ResolvedAddress where;
    using Visits = std::vector<std::pair<int32_t, int>>;

    EXPECT_EQ(Walk(image, 0xECFC, 0xED05, &where), (Visits{{0xECFC, 126}, {0xECFE, 127}}));
    EXPECT_EQ(where.area, PlcArea::T);

    // Byte area: EB 112..127 only, AB is not entered.
    const Visits eb = Walk(image, 0xEF70, 0xEF8F, &where);
    EXPECT_EQ(where.area, PlcArea::EB);
    ASSERT_EQ(eb.size(), 16u);
    EXPECT_EQ(eb.front(), (std::pair<int32_t, int>{0xEF70, 112}));
    EXPECT_EQ(eb.back(), (std::pair<int32_t, int>{0xEF7F, 127}));

    // An odd start walks odd addresses, one per word.
    EXPECT_EQ(Walk(image, 0xE08B, 0xE08F), (Visits{{0xE08B, 0}, {0xE08D, 1}, {0xE08F, 2}}));

    // A whole block, and not a word more, whatever the end.
    const Visits db1 = Walk(image, 0xDF8A, 0xFFFF, &where);
    EXPECT_EQ(where.area, PlcArea::DB);
    EXPECT_EQ(where.db, 1);
    ASSERT_EQ(db1.size(), 128u);
    EXPECT_EQ(db1.back().second, 127);

    EXPECT_EQ(Walk(image, 0xEE00, 0xEEFF).size(), 256u);
    EXPECT_TRUE(Walk(image, 0xEA0C, 0xEA20, &where).empty());
    EXPECT_EQ(where.area, PlcArea::System);
    EXPECT_TRUE(Walk(image, 0x0100, 0x0200, &where).empty());
    EXPECT_EQ(where.area, PlcArea::None);
    EXPECT_TRUE(Walk(image, 0xEC10, 0xEC0F).empty());
}

TEST(PlcImageTest, BlockNotExistingIsStillReachedThroughItsWholeWindow)
{
    PlcImage image;
    image.SetDbExists(2, false);
    image.SetDbLength(2, 10);
    const int32_t start = image.DbEntry(2).start;
    EXPECT_EQ(Walk(image, start, start + 255).size(), 128u);
    EXPECT_EQ(image.CellIndex(PlcArea::DB, 2, start + 254), 127);
}

TEST(PlcImageTest, CellsReadBackAndOutOfRangeIsHarmless)
{
    PlcImage image;
    image.WriteDbWord(3, 7, 0xBEEF);
    image.WriteCell(PlcArea::T, 127, 1234);
    image.WriteCell(PlcArea::MB, 255, 0xAB);
    image.WriteCell(PlcArea::EB, 128, 1); // past EB
    image.WriteCell(PlcArea::DB, 0, 1);   // not a cell area
    image.WriteDbWord(128, 0, 1);
    image.WriteDbWord(0, -1, 1);
    EXPECT_EQ(image.ReadDbWord(3, 7), 0xBEEF);
    EXPECT_EQ(image.ReadCell(PlcArea::T, 127), 1234);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 255), 0xAB);
    EXPECT_EQ(image.ReadCell(PlcArea::EB, 128), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::None, 0), 0);
    EXPECT_EQ(image.ReadDbWord(128, 0), 0);
}

TEST(PlcImageTest, ClearTouchesOnlyItsArea)
{
    PlcImage image;
    image.WriteDbWord(4, 0, 1);
    image.WriteDbWord(5, 0, 2);
    image.SetDbLength(4, 20);
    image.WriteCell(PlcArea::MB, 200, 3);
    image.WriteCell(PlcArea::AB, 5, 4);
    image.ClearDb(4);
    image.ClearArea(PlcArea::MB);
    EXPECT_EQ(image.ReadDbWord(4, 0), 0);
    EXPECT_EQ(image.DbEntry(4).length, 20);
    EXPECT_EQ(image.ReadDbWord(5, 0), 2);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 200), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::AB, 5), 4);
}

TEST(PlcImageTest, ResetRestoresDefaultsButKeepsRunAndBattery)
{
    PlcImage image;
    image.WriteDbWord(127, 127, 9);
    image.WriteCell(PlcArea::T, 3, 9);
    image.WriteCell(PlcArea::Z, 127, 9);
    image.WriteCell(PlcArea::MB, 255, 9);
    image.WriteCell(PlcArea::EB, 0, 9);
    image.WriteCell(PlcArea::AB, 127, 9);
    image.SetDbStart(9, 0x100);
    image.SetDbExists(9, false);
    image.SetDbLength(9, 1);
    image.SetAreaBase(PlcArea::MB, 0x200);
    image.SetRunning(false);
    image.SetBatteryOk(false);

    image.ResetToDefaults();

    EXPECT_EQ(image.ReadDbWord(127, 127), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::T, 3), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::Z, 127), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 255), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::EB, 0), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::AB, 127), 0);
    EXPECT_EQ(image.DbEntry(9).start, 0xE08A - 0x900);
    EXPECT_EQ(image.DbEntry(9).exists, 1);
    EXPECT_EQ(image.DbEntry(9).length, 128);
    EXPECT_EQ(image.AreaBase(PlcArea::MB), 0xEE00);
    EXPECT_FALSE(image.IsRunning());
    EXPECT_FALSE(image.IsBatteryOk());
}

TEST(PlcImageTest, StatusByteFollowsRunAndBattery)
{
    PlcImage image;
    struct Case
    {
        bool running;
        bool battery;
        uint8_t status;
    };
    for (const Case c : {Case{true, true, 0x08}, Case{false, true, 0x48}, Case{true, false, 0x00},
                         Case{false, false, 0x40}}) {
        image.SetRunning(c.running);
        image.SetBatteryOk(c.battery);
        EXPECT_EQ(image.StatusByte(), c.status);
    }

    image.ApplyStatusByte(0xFF);
    EXPECT_FALSE(image.IsRunning());
    EXPECT_TRUE(image.IsBatteryOk());
    image.ApplyStatusByte(0xB7); // every bit but 0x08 and 0x40
    EXPECT_TRUE(image.IsRunning());
    EXPECT_FALSE(image.IsBatteryOk());
    image.ApplyStatusByte(0x40);
    EXPECT_FALSE(image.IsRunning());
    EXPECT_FALSE(image.IsBatteryOk());
}

} // namespace
