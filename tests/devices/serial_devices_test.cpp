// The device list over a temporary tree standing in for /dev and /sys. Its
// nodes are character devices with the numbers of /dev/null, so that the
// one the scan may open answers no serial ioctl; making them takes the
// right to make device nodes, which tests run as root have.
#include "devices/serial_devices.h"

#include "serial/port_mapping.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class SerialDevicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orvane-devices-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern)) << std::strerror(errno);
        root = pattern;
        dev = root + "/dev";
        sys = root + "/sys";
        fs::create_directories(dev + "/serial/by-id");
        fs::create_directories(sys + "/class/tty");
        if (mknod((dev + "/probe").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            GTEST_SKIP() << "cannot make device nodes here: " << std::strerror(errno);
        fs::remove(dev + "/probe");

        options.devRoot = dev;
        options.sysRoot = sys;
        options.user.uid = 4200; // nobody in particular, and not root
        options.user.gid = 4201;
        options.user.groups = {4202};
    }
    void TearDown() override
    {
        if (!root.empty())
            fs::remove_all(root);
    }

    // A node owned by root:root.
    void node(const std::string& name, mode_t mode = 0666)
    {
        const std::string path = dev + "/" + name;
        ASSERT_EQ(mknod(path.c_str(), S_IFCHR | mode, makedev(1, 3)), 0) << name;
        ASSERT_EQ(chown(path.c_str(), 0, 0), 0) << name;
        ASSERT_EQ(chmod(path.c_str(), mode), 0) << name; // past the umask
    }
    void byId(const std::string& name, const std::string& target)
    {
        fs::create_symlink(target, dev + "/serial/by-id/" + name);
    }
    void uartType(const std::string& name, const std::string& text)
    {
        fs::create_directories(sys + "/class/tty/" + name);
        std::ofstream(sys + "/class/tty/" + name + "/type") << text;
    }
    std::vector<std::string> names(const std::vector<SerialDevice>& devices)
    {
        std::vector<std::string> result;
        for (const auto& device : devices)
            result.push_back(device.name);
        return result;
    }
    const SerialDevice* find(const std::vector<SerialDevice>& devices, const std::string& name)
    {
        for (const auto& device : devices)
            if (device.name == name)
                return &device;
        return nullptr;
    }

    std::string root;
    std::string dev;
    std::string sys;
    DeviceScanOptions options;
};

TEST_F(SerialDevicesTest, KindsInTurnNamesInNaturalOrderVirtualPortLast)
{
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM1", "ttyS10", "ttyS2", "ttyUSB0"})
        node(name);
    node("console");
    node("ttyUSBx");
    node("ttyS");
    uartType("ttyS10", "4\n");
    uartType("ttyS2", "1\n");
    byId("usb-Maker_Cable_B2-if00-port0", "../../ttyUSB0");

    const auto devices = ListSerialDevices(options);
    EXPECT_EQ(names(devices), (std::vector<std::string>{"usb-Maker_Cable_B2-if00-port0", "ttyUSB2", "ttyUSB10",
                                                        "ttyACM1", "ttyS2", "ttyS10", "Virtual port (pty)"}));
    EXPECT_EQ(devices[1], (SerialDevice{SerialDeviceKind::UsbSerial, "ttyUSB2", dev + "/ttyUSB2", "", "", ""}));
    EXPECT_EQ(devices[3].kind, SerialDeviceKind::UsbModem);
    EXPECT_EQ(devices[5].kind, SerialDeviceKind::Uart);
    EXPECT_EQ(devices.back().kind, SerialDeviceKind::Virtual);
    EXPECT_EQ(devices.back().path, kVirtualPortDevice);
    EXPECT_EQ(devices.back().problem, "");
}

TEST_F(SerialDevicesTest, ByIdLinksShowTheirTtyAndStandForIt)
{
    node("ttyUSB0");
    node("ttyUSB1");
    node("ttyACM0");
    byId("usb-Maker_Cable_B2-if00-port0", "../../ttyUSB1");
    byId("usb-Maker_Modem_7-if00", dev + "/ttyACM0"); // absolute, as a hand-made link may be
    byId("usb-Gone_Cable_A1-if00-port0", "../../ttyUSB9");

    const auto devices = ListSerialDevices(options);
    EXPECT_EQ(names(devices), (std::vector<std::string>{"usb-Gone_Cable_A1-if00-port0",
                                                        "usb-Maker_Cable_B2-if00-port0", "usb-Maker_Modem_7-if00",
                                                        "ttyUSB0", "Virtual port (pty)"}));
    EXPECT_EQ(devices[1], (SerialDevice{SerialDeviceKind::Adapter, "usb-Maker_Cable_B2-if00-port0",
                                        dev + "/serial/by-id/usb-Maker_Cable_B2-if00-port0", dev + "/ttyUSB1",
                                        "", ""}));
    EXPECT_EQ(devices[2].tty, dev + "/ttyACM0");
    // A link whose adapter is gone stays, saying so.
    EXPECT_EQ(devices[0].tty, dev + "/ttyUSB9");
    EXPECT_EQ(devices[0].problem, "the link leads to " + dev + "/ttyUSB9, which is missing");
}

TEST_F(SerialDevicesTest, TtySNodesOnlyWithAUart)
{
    for (const char* name : {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4"})
        node(name);
    uartType("ttyS0", "4\n");  // 16550A
    uartType("ttyS1", "0\n");  // no UART
    uartType("ttyS2", "junk"); // says nothing: probed, and the probe cannot tell
    // ttyS3 has no sysfs entry and is probed; ttyS4's entry is a folder.
    fs::create_directories(sys + "/class/tty/ttyS4/type");

    const auto devices = ListSerialDevices(options);
    EXPECT_EQ(names(devices),
              (std::vector<std::string>{"ttyS0", "ttyS2", "ttyS3", "ttyS4", "Virtual port (pty)"}));
    EXPECT_EQ(find(devices, "ttyS0")->note, "");
    EXPECT_EQ(find(devices, "ttyS3")->note, "whether a UART answers could not be told");
    EXPECT_EQ(find(devices, "ttyS3")->problem, "");

    // Without sysfs at all, nothing tells a UART apart.
    fs::remove_all(sys);
    EXPECT_EQ(names(ListSerialDevices(options)),
              (std::vector<std::string>{"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4", "Virtual port (pty)"}));
}

TEST_F(SerialDevicesTest, DevicesThePretendedUserMayNotOpenStayWithTheReason)
{
    node("ttyUSB0", 0660); // root:root
    node("ttyUSB1", 0600);
    node("ttyS0", 0660);   // no sysfs entry, and no right to probe it
    byId("usb-Maker_Cable_B2-if00-port0", "../../ttyUSB1");

    auto devices = ListSerialDevices(options);
    ASSERT_EQ(names(devices), (std::vector<std::string>{"usb-Maker_Cable_B2-if00-port0", "ttyUSB0", "ttyS0",
                                                        "Virtual port (pty)"}));
    EXPECT_EQ(devices[0].problem, "no permission: owned by root, mode 0600");
    EXPECT_EQ(devices[1].problem, "no permission: owned by group \"root\", which you are not in");
    EXPECT_EQ(devices[2].problem, "no permission: owned by group \"root\", which you are not in");
    EXPECT_EQ(devices[2].note, "whether a UART answers could not be told");

    options.user.groups.push_back(0);
    devices = ListSerialDevices(options);
    EXPECT_EQ(devices[0].problem, "no permission: owned by root, mode 0600");
    EXPECT_EQ(devices[1].problem, "");
}

TEST_F(SerialDevicesTest, OddEntriesAreShownWithAReasonOrLeftOut)
{
    fs::create_directories(dev + "/ttyUSB3");
    std::ofstream(dev + "/ttyUSB4") << "left by a write to an unplugged adapter";
    ASSERT_EQ(mkfifo((dev + "/ttyACM0").c_str(), 0666), 0);
    fs::create_directories(dev + "/serial/by-id/usb-Folder");
    byId("usb-Loop-if00", "usb-Loop-if00");
    byId("usb-To_A_File-if00", "../../ttyUSB4");
    fs::create_directories(sys + "/class/tty/ttyS0");
    ASSERT_EQ(mkfifo((sys + "/class/tty/ttyS0/type").c_str(), 0666), 0); // must not block the scan
    node("ttyS0");

    const auto devices = ListSerialDevices(options);
    EXPECT_EQ(find(devices, "ttyUSB3")->problem, "not a device: a directory");
    EXPECT_EQ(find(devices, "ttyUSB4")->problem, "not a device: a regular file");
    EXPECT_EQ(find(devices, "ttyACM0")->problem, "not a device: a named pipe");
    EXPECT_EQ(find(devices, "usb-Folder")->problem, "not a device: a directory");
    EXPECT_EQ(find(devices, "usb-To_A_File-if00")->problem, "not a device: a regular file");
    ASSERT_TRUE(find(devices, "usb-Loop-if00"));
    EXPECT_EQ(find(devices, "usb-Loop-if00")->problem.rfind("cannot be examined: ", 0), 0u);
    EXPECT_TRUE(find(devices, "ttyS0"));
}

TEST_F(SerialDevicesTest, MissingFoldersLeaveTheVirtualPort)
{
    options.devRoot = root + "/nowhere";
    options.sysRoot = root + "/nowhere";
    const auto devices = ListSerialDevices(options);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0], (SerialDevice{SerialDeviceKind::Virtual, "Virtual port (pty)", kVirtualPortDevice, "", "",
                                        "a pseudo-terminal pair made when the port opens"}));
}

TEST(CurrentUserIdentity, IsTheProcesssEffectiveOne)
{
    const UserIdentity user = CurrentUserIdentity();
    EXPECT_EQ(user.uid, geteuid());
    EXPECT_TRUE(user.InGroup(getegid()));
}

} // namespace
