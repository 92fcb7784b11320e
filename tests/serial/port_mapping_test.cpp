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
