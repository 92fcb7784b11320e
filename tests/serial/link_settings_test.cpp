// Link settings: first load, partial and mistyped stores, the lists and the
// mapping table, on an in-memory store.
#include "serial/link_settings.h"
#include "serial/settings_keys.h"

#include "fakes/memory_settings_store.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

namespace keys = settings_keys;

class LinkSettingsTest : public ::testing::Test
{
  protected:
    MemorySettingsStore::Values& stored() { return store.values(keys::kLinkSettings); }
    int32_t storedInt(const char* name) { return std::get<int32_t>(stored().at(name)); }

    MemorySettingsStore store;
    LinkSettings settings;
};

TEST_F(LinkSettingsTest, FirstLoadWritesTheDefaultsAndOpensCom1At9600Even81)
{
    ASSERT_TRUE(LoadLinkSettings(store, settings));
    EXPECT_TRUE(store.hasKey(keys::kLinkSettings));
    EXPECT_EQ(stored().size(), 5u);
    EXPECT_EQ(storedInt(keys::kCommPort), 0);
    EXPECT_EQ(storedInt(keys::kBaudRate), 2);
    EXPECT_EQ(storedInt(keys::kParity), 1);
    EXPECT_EQ(storedInt(keys::kDataBits), 1);
    EXPECT_EQ(storedInt(keys::kStopBits), 0);
    EXPECT_EQ(settings, LinkSettings{});
    EXPECT_EQ(ToPortParams(settings), (PortParams{"COM1", 9600, 2, 8, 0}));

    // A second load finds everything and writes nothing.
    const int writes = store.writes;
    ASSERT_TRUE(LoadLinkSettings(store, settings));
    EXPECT_EQ(store.writes, writes);
}

TEST_F(LinkSettingsTest, OnlyBaudRateStoredFillsInTheOtherFour)
{
    stored()[keys::kBaudRate] = int32_t{6};
    ASSERT_TRUE(LoadLinkSettings(store, settings));
    EXPECT_EQ(store.writes, 4);
    EXPECT_EQ(storedInt(keys::kBaudRate), 6);
    EXPECT_EQ(settings, (LinkSettings{0, 6, 1, 1, 0}));
    EXPECT_EQ(ToPortParams(settings), (PortParams{"COM1", 115200, 2, 8, 0}));
}

TEST_F(LinkSettingsTest, MissingValuesAreWrittenFromTheCopysCurrentFields)
{
    settings = {4, 5, 2, 0, 1};
    stored()[keys::kParity] = int32_t{0};
    ASSERT_TRUE(LoadLinkSettings(store, settings));
    EXPECT_EQ(storedInt(keys::kCommPort), 4);
    EXPECT_EQ(storedInt(keys::kStopBits), 1);
    EXPECT_EQ(settings, (LinkSettings{4, 5, 0, 0, 1}));
}

TEST_F(LinkSettingsTest, ChosenValuesReachThePortParameters)
{
    stored() = {{keys::kCommPort, int32_t{2}},
                {keys::kBaudRate, int32_t{3}},
                {keys::kParity, int32_t{2}},
                {keys::kDataBits, int32_t{0}},
                {keys::kStopBits, int32_t{1}}};
    ASSERT_TRUE(LoadLinkSettings(store, settings));
    EXPECT_EQ(ToPortParams(settings), (PortParams{"COM3", 19200, 1, 7, 2}));
}

TEST_F(LinkSettingsTest, ValueOfAnotherTypeAbandonsTheLoadAtThatValue)
{
    stored() = {{keys::kCommPort, int32_t{3}},
                {keys::kBaudRate, int32_t{4}},
                {keys::kParity, std::string("1")},
                {keys::kDataBits, int32_t{0}},
                {keys::kStopBits, int32_t{1}}};
    try {
        LoadLinkSettings(store, settings);
        FAIL() << "no error";
    } catch (const SettingsError& error) {
        EXPECT_STREQ(error.what(),
                     "Invalid data type for 'Parity' (key Software\\ORVANE\\Property in memory)");
    }
    EXPECT_EQ(settings, (LinkSettings{3, 4, 1, 1, 0}));

    stored()[keys::kParity] = int32_t{0};
    stored()[keys::kStopBits] = std::vector<uint8_t>{1, 0, 0, 0};
    EXPECT_THROW(LoadLinkSettings(store, settings), SettingsError);
}

TEST_F(LinkSettingsTest, ValuesOfAnotherTypeCanBeReplacedByTheirDefaults)
{
    stored() = {{keys::kCommPort, std::string("COM3")},
                {keys::kBaudRate, int32_t{4}},
                {keys::kParity, int32_t{0}},
                {keys::kDataBits, std::vector<uint8_t>{1}},
                {keys::kStopBits, int32_t{1}}};
    settings = {5, 5, 2, 0, 0};
    std::vector<std::string> problems;
    ASSERT_TRUE(LoadLinkSettings(store, settings, &problems));
    EXPECT_EQ(settings, (LinkSettings{0, 4, 0, 1, 1}));
    const std::vector<std::string> expected = {
        "Invalid data type for 'CommPort' (key Software\\ORVANE\\Property in memory)",
        "Invalid data type for 'DataBits' (key Software\\ORVANE\\Property in memory)"};
    EXPECT_EQ(problems, expected);
    // Nothing is written back: the operator fixes it in the settings dialog.
    EXPECT_EQ(std::get<std::string>(stored()[keys::kCommPort]), "COM3");
}

TEST_F(LinkSettingsTest, UnopenableStoreKeepsTheCopyAndStoresNothing)
{
    store.unavailable = true;
    settings = {7, 1, 0, 0, 1};
    EXPECT_FALSE(LoadLinkSettings(store, settings));
    EXPECT_EQ(settings, (LinkSettings{7, 1, 0, 0, 1}));
    EXPECT_FALSE(SaveLinkSettings(store, settings));
    EXPECT_EQ(store.writes, 0);
}

TEST_F(LinkSettingsTest, SaveWritesAllFiveValuesEvenUnchanged)
{
    ASSERT_TRUE(SaveLinkSettings(store, {2, 3, 2, 0, -1}));
    EXPECT_EQ(store.writes, 5);
    EXPECT_EQ(storedInt(keys::kCommPort), 2);
    EXPECT_EQ(storedInt(keys::kStopBits), -1);
    ASSERT_TRUE(SaveLinkSettings(store, {2, 3, 2, 0, -1}));
    EXPECT_EQ(store.writes, 10);
}

TEST(LinkListsTest, EntriesInTheirOrder)
{
    const auto ports = LinkListEntries(LinkList::CommPort);
    ASSERT_EQ(ports.size(), 255u);
    EXPECT_EQ(ports.front(), "COM1");
    EXPECT_EQ(ports[9], "COM10");
    EXPECT_EQ(ports.back(), "COM255");
    EXPECT_EQ(
        LinkListEntries(LinkList::BaudRate),
        (std::vector<std::string>{"1200", "2400", "9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(LinkListEntries(LinkList::Parity), (std::vector<std::string>{"None", "Even", "Odd"}));
    EXPECT_EQ(LinkListEntries(LinkList::DataBits), (std::vector<std::string>{"7", "8"}));
    EXPECT_EQ(LinkListEntries(LinkList::StopBits), (std::vector<std::string>{"1", "2"}));
}

TEST(ToPortParamsTest, EveryListEntryMapsToItsParameter)
{
    const uint32_t bauds[] = {1200, 2400, 9600, 19200, 38400, 57600, 115200};
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_EQ(ToPortParams({0, i, 1, 1, 0}).baudRate, bauds[i]) << i;
    const uint8_t parities[] = {0, 2, 1};
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(ToPortParams({0, 2, i, 1, 0}).parity, parities[i]) << i;
    EXPECT_EQ(ToPortParams({0, 2, 1, 0, 0}).dataBits, 7);
    EXPECT_EQ(ToPortParams({0, 2, 1, 1, 0}).dataBits, 8);
    EXPECT_EQ(ToPortParams({0, 2, 1, 1, 0}).stopBits, 0);
    EXPECT_EQ(ToPortParams({0, 2, 1, 1, 1}).stopBits, 2);
    EXPECT_EQ(ToPortParams({254, 2, 1, 1, 0}).deviceName, "COM255");
}

TEST(ToPortParamsTest, IndexOutsideItsListCountsAsTheDefault)
{
    const PortParams defaults{"COM1", 9600, 2, 8, 0};
    const LinkSettings cases[] = {
        {-1, -1, -1, -1, -1},
        {255, 7, 3, 2, 2},
        {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN},
        {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
    };
    for (const auto& settings : cases)
        EXPECT_EQ(ToPortParams(settings), defaults) << settings.CommPort;
    // One bad field leaves the others alone.
    EXPECT_EQ(ToPortParams({2, 3, -1, 0, 1}), (PortParams{"COM3", 19200, 2, 7, 2}));
}

} // namespace
