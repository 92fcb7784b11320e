// Per-user port mapping: stored paths win, anything unusable falls back.
#include "serial/port_mapping.h"
#include "serial/settings_keys.h"

#include "fakes/memory_settings_store.h"

#include <gtest/gtest.h>

namespace {

class PortMappingTest : public ::testing::Test
{
  protected:
    std::string resolve(const std::string& name)
    {
        return ResolvePortDevice(store, name, [this](const std::string& n) {
            asked.push_back(n);
            return "default:" + n;
        });
    }
    MemorySettingsStore::Values& ports() { return store.values(settings_keys::kPorts); }

    MemorySettingsStore store;
    std::vector<std::string> asked;
};

TEST_F(PortMappingTest, WithoutMappingTheDefaultResolverDecides)
{
    EXPECT_EQ(resolve("COM1"), "default:COM1");
    EXPECT_EQ(asked, std::vector<std::string>{"COM1"});
    EXPECT_FALSE(store.hasKey(settings_keys::kPorts)); // looking creates nothing
    ports()["COM2"] = std::string("/dev/ttyUSB0");
    EXPECT_EQ(resolve("COM1"), "default:COM1");
}

TEST_F(PortMappingTest, StoredPathIsUsedWithoutSurroundingBlanks)
{
    ports()["COM3"] = std::string("/dev/ttyUSB0");
    ports()["COM255"] = std::string(" \t/dev/serial/by-id/usb-adapter port0  ");
    EXPECT_EQ(resolve("COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(resolve("COM255"), "/dev/serial/by-id/usb-adapter port0");
    EXPECT_TRUE(asked.empty());
}

TEST_F(PortMappingTest, UnusableStoredValuesFallBack)
{
    const std::string longest = "/" + std::string(kMaxMappedDevicePath - 1, 'a');
    ports()["COM9"] = longest;
    EXPECT_EQ(resolve("COM9"), longest);

    const std::vector<MemorySettingsStore::Value> bad = {
        std::string(),
        std::string("   "),
        std::string("ttyUSB0"),
        std::string("COM5"),
        longest + "a",
        std::string("/dev/tty\0S1", 11),
        std::string("/dev/ttyS1\n"),
        std::string("/dev/\x1b[2JttyS1"),
        int32_t{5},
        std::vector<uint8_t>{'/', 'd'},
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        ports()["COM4"] = bad[i];
        EXPECT_EQ(resolve("COM4"), "default:COM4") << i;
    }
}

TEST_F(PortMappingTest, OnlyComNamesAreLookedUp)
{
    for (const char* name :
         {"/dev/ttyS1", "COM0", "COM256", "COM01", "com1", "COM", "COM1x", "COM99999999999"})
        ports()[name] = std::string("/dev/mapped");
    for (const char* name :
         {"/dev/ttyS1", "COM0", "COM256", "COM01", "com1", "COM", "COM1x", "COM99999999999"})
        EXPECT_EQ(resolve(name), std::string("default:") + name);
}

TEST_F(PortMappingTest, UnopenableStoreFallsBack)
{
    ports()["COM1"] = std::string("/dev/ttyUSB0");
    store.unavailable = true;
    EXPECT_EQ(resolve("COM1"), "default:COM1");
}

} // namespace

namespace {

TEST_F(PortMappingTest, VirtualPortWordIsTakenAsItIs)
{
    ports()["COM1"] = std::string(" pty\t");
    EXPECT_EQ(resolve("COM1"), kVirtualPortDevice);
    for (const char* other : {"PTY", "pty0", "ptyS", "p ty"}) {
        ports()["COM1"] = std::string(other);
        EXPECT_EQ(resolve("COM1"), "default:COM1") << other;
    }
}

struct WriteCase
{
    std::string given;
    std::string stored; // empty: refused
};

// The writer refuses exactly what the reader would refuse, and stores what
// the reader would take in the form it takes it.
TEST_F(PortMappingTest, WriterStoresOnlyWhatTheReaderTakes)
{
    const std::string longest = "/" + std::string(kMaxMappedDevicePath - 1, 'a');
    const WriteCase cases[] = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-Maker_Cable_A1-if00-port0", "/dev/serial/by-id/usb-Maker_Cable_A1-if00-port0"},
        {" \t/tmp/orvane plc ", "/tmp/orvane plc"},
        {longest, longest},
        {"pty", "pty"},
        {"  pty\t", "pty"},
        {"", ""},
        {"  ", ""},
        {"ttyUSB0", ""},
        {"./ttyUSB0", ""},
        {"PTY", ""},
        {"pty1", ""},
        {longest + "a", ""},
        {std::string("/dev/tty\0S1", 11), ""},
        {"/dev/ttyS1\n", ""},
        {"/dev/\x1b[2JttyS1", ""},
        {"/dev/tty\x7fS1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.given));
        ports()["COM7"] = std::string("/dev/before");
        const int writes = store.writes;
        if (c.stored.empty()) {
            EXPECT_THROW(WritePortMapping(store, "COM7", c.given), SettingsError);
            EXPECT_EQ(store.writes, writes);
            EXPECT_EQ(resolve("COM7"), "/dev/before");
        } else {
            WritePortMapping(store, "COM7", c.given);
            EXPECT_EQ(std::get<std::string>(ports().at("COM7")), c.stored);
            EXPECT_EQ(resolve("COM7"), c.stored);
            EXPECT_EQ(ReadPortMapping(store, "COM7"), c.stored);
        }
    }
}

TEST_F(PortMappingTest, OnlyComPortsAreWrittenOrRemoved)
{
    for (const char* name : {"COM0", "COM256", "COM01", "com1", "", "/dev/ttyS0", "COM1\\x"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(WritePortMapping(store, name, "/dev/ttyUSB0"), SettingsError);
        EXPECT_THROW(RemovePortMapping(store, name), SettingsError);
    }
    EXPECT_EQ(store.writes, 0);
    EXPECT_FALSE(store.hasKey(settings_keys::kPorts));
    WritePortMapping(store, "COM255", "/dev/ttyUSB0");
    EXPECT_EQ(resolve("COM255"), "/dev/ttyUSB0");
}

TEST_F(PortMappingTest, RemovingGivesTheDefaultBackAndKeepsTheOthers)
{
    WritePortMapping(store, "COM1", "/dev/ttyUSB0");
    WritePortMapping(store, "COM2", "pty");
    RemovePortMapping(store, "COM1");
    EXPECT_EQ(resolve("COM1"), "default:COM1");
    EXPECT_EQ(resolve("COM2"), kVirtualPortDevice);
    RemovePortMapping(store, "COM2");
    EXPECT_FALSE(store.hasKey(settings_keys::kPorts)); // the last value takes the key with it

    const int writes = store.writes;
    RemovePortMapping(store, "COM3"); // nothing to remove
    EXPECT_EQ(store.writes, writes);
    EXPECT_FALSE(store.hasKey(settings_keys::kPorts));
}

TEST_F(PortMappingTest, StoreFailuresAreReported)
{
    WritePortMapping(store, "COM1", "/dev/ttyUSB0");
    store.failWrites = true;
    EXPECT_THROW(WritePortMapping(store, "COM1", "/dev/ttyUSB1"), SettingsError);
    EXPECT_THROW(RemovePortMapping(store, "COM1"), SettingsError);
    EXPECT_EQ(resolve("COM1"), "/dev/ttyUSB0");

    store.failWrites = false;
    store.unavailable = true;
    EXPECT_THROW(WritePortMapping(store, "COM1", "/dev/ttyUSB1"), SettingsError);
    EXPECT_NO_THROW(RemovePortMapping(store, "COM1")); // nothing reachable to remove
}

} // namespace
