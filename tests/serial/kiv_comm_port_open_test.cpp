// Opening and closing the port: the states, the line configuration a tty
// gets, baud rates with and without a Bxxx constant, exclusive use, and the
// failure texts of devices that cannot serve as a serial line.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "serial/kiv_comm_port.h"
#include "serial/session_terminal.h"
#include "serial/tty_linux.h"
#include "support/pty_pair.h"

namespace {

class KivCommPortOpen : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        char dir[] = "/tmp/orvane-serial-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        tempDir = dir;
    }
    void TearDown() override
    {
        unlink((tempDir + "/file").c_str());
        unlink((tempDir + "/fifo").c_str());
        rmdir(tempDir.c_str());
    }

    bool configure(TKivCommPort& port, const std::string& name, uint32_t baud = 9600,
                   uint8_t parity = 0, uint8_t dataBits = 8, uint8_t stopBits = 0, int32_t flow = 0)
    {
        return port.SetBuffers(kEventRxChar, 2000, 2048, 1024) &&
               port.SetParams(name, baud, parity, dataBits, stopBits, flow, false);
    }

    termios slaveState()
    {
        termios t{};
        EXPECT_EQ(tcgetattr(pty.slave(), &t), 0);
        return t;
    }

    PtyPair pty;
    std::string tempDir;
};

TEST_F(KivCommPortOpen, OpenAndCloseMoveBetweenTheTwoStates)
{
    TKivCommPort port;
    ASSERT_TRUE(configure(port, pty.slavePath()));
    EXPECT_FALSE(port.Close());
    ASSERT_TRUE(port.Open()) << port.lastErrorText();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.lastErrorText(), "");

    EXPECT_FALSE(port.Open());
    EXPECT_TRUE(port.IsOpen());
    const uint8_t byte = 0x55;
    EXPECT_EQ(port.Write(&byte, 1), 1u); // still the same working line
    EXPECT_EQ(pty.receive(1, 2000), std::vector<uint8_t>{0x55});

    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Close());
    // Settings and buffers survive a Close.
    ASSERT_TRUE(port.Open()) << port.lastErrorText();
    EXPECT_EQ(port.Write(&byte, 1), 1u);
}

TEST_F(KivCommPortOpen, MakesTheTtyARawLine)
{
    TKivCommPort port;
    ASSERT_TRUE(configure(port, pty.slavePath(), 19200, 0, 8, 2, 2));
    ASSERT_TRUE(port.Open()) << port.lastErrorText();
    termios t = slaveState();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    ASSERT_TRUE(port.Close());

    ASSERT_TRUE(configure(port, pty.slavePath(), 9600, 0, 8, 0, 3));
    ASSERT_TRUE(port.Open()) << port.lastErrorText();
    t = slaveState();
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(KivCommPortOpen, EveryBaudRateIsSetExactly)
{
    const uint32_t rates[] = {110,   300,   1200,   2400,   9600,   14400,  19200,  28800,  38400,
                              56000, 57600, 115200, 128000, 250000, 256000, 460800, 500000, 921600};
    TKivCommPort port;
    for (uint32_t rate : rates) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(configure(port, pty.slavePath(), rate));
        ASSERT_TRUE(port.Open()) << port.lastErrorText() << " " << port.lastError();
        uint32_t actual = 0;
        ASSERT_EQ(tty::readBaudRate(pty.slave(), actual), 0);
        EXPECT_EQ(actual, rate);
        ASSERT_TRUE(port.Close());
    }
}

TEST_F(KivCommPortOpen, ADeviceIsHeldByOnePortAtATime)
{
    auto first = std::make_unique<TKivCommPort>();
    TKivCommPort second;
    ASSERT_TRUE(configure(*first, pty.slavePath()));
    ASSERT_TRUE(configure(second, pty.slavePath()));
    ASSERT_TRUE(first->Open()) << first->lastErrorText();

    EXPECT_FALSE(second.Open());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.lastErrorText(), "INVALID_HANDLE_VALUE");
    EXPECT_NE(second.lastError(), 0);

    // Destroying the holder closes it and frees the device.
    first.reset();
    EXPECT_TRUE(second.Open()) << second.lastErrorText();
}

// A pty that a shell's session holds as its terminal is never taken over,
// however the path to it came about.
TEST_F(KivCommPortOpen, ASessionsTerminalIsRefused)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A new session whose controlling terminal is the pty's slave.
        setsid();
        const int fd = open(pty.slavePath().c_str(), O_RDWR);
        const char ok = (fd >= 0 && ioctl(fd, TIOCSCTTY, 0) == 0) ? 1 : 0;
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    close(ready[0]);
    close(ready[1]);
    TKivCommPort port;
    ASSERT_TRUE(configure(port, pty.slavePath()));
    const bool opened = port.Open();
    const int error = port.lastError();
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_EQ(ok, 1) << "the child could not make the pty its terminal";
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, EBUSY);
    EXPECT_EQ(port.lastErrorText(), "INVALID_HANDLE_VALUE");
    // Once the session is gone the pty is an ordinary line again.
    EXPECT_TRUE(port.Open()) << port.lastErrorText();
    // The names that stand for somebody's terminal count as well.
    EXPECT_TRUE(tty::isSessionTerminal(makedev(5, 0))); // /dev/tty
    EXPECT_TRUE(tty::isSessionTerminal(makedev(5, 1))); // /dev/console
    EXPECT_FALSE(tty::isSessionTerminal(makedev(1, 3))); // /dev/null
}

TEST_F(KivCommPortOpen, DevicesThatAreNoSerialLineFail)
{
    const std::string file = tempDir + "/file";
    const std::string fifo = tempDir + "/fifo";
    int fd = open(file.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    struct Case
    {
        std::string name;
        const char* text;
        int error;
    };
    const Case cases[] = {
        {tempDir + "/missing", "INVALID_HANDLE_VALUE", ENOENT},
        {"COM0", "INVALID_HANDLE_VALUE", ENOENT}, // no path for that name
        {"", "INVALID_HANDLE_VALUE", ENOENT},
        {tempDir, "INVALID_HANDLE_VALUE", EISDIR},
        {file, "NOT IS FILE_TYPE_CHAR", ENOTTY},
        {fifo, "NOT IS FILE_TYPE_CHAR", ENOTTY},
        // A character device that is no tty cannot be taken exclusively.
        {"/dev/null", "INVALID_HANDLE_VALUE", ENOTTY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKivCommPort port;
        ASSERT_TRUE(configure(port, c.name));
        EXPECT_FALSE(port.Open());
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.lastErrorText(), c.text);
        EXPECT_EQ(port.lastError(), c.error);
    }
}

TEST_F(KivCommPortOpen, SettingsALinuxTtyLacksAreRefused)
{
    struct Case
    {
        const char* what;
        uint8_t dataBits, stopBits;
        int32_t flow;
        uint32_t eventMask;
        const char* text;
    };
    const Case cases[] = {
        {"4 data bits", 4, 0, 0, kEventRxChar, "SetCommState()"},
        {"1.5 stop bits", 8, 1, 0, kEventRxChar, "SetCommState()"},
        {"full hardware handshake", 8, 0, 1, kEventRxChar, "SetCommState()"},
        {"DTR/DSR handshake", 8, 0, 4, kEventRxChar, "SetCommState()"},
        {"transmit-empty event", 8, 0, 0, kEventRxChar | 0x0004, "SetCommMask()"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TKivCommPort port;
        ASSERT_TRUE(port.SetBuffers(c.eventMask, 2000, 2048, 1024));
        ASSERT_TRUE(
            port.SetParams(pty.slavePath(), 9600, 0, c.dataBits, c.stopBits, c.flow, false));
        EXPECT_FALSE(port.Open());
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.lastErrorText(), c.text);
        EXPECT_EQ(port.lastError(), EINVAL);
        // The failed Open let the device go again.
        TKivCommPort other;
        ASSERT_TRUE(configure(other, pty.slavePath()));
        EXPECT_TRUE(other.Open()) << other.lastErrorText();
    }
}

TEST_F(KivCommPortOpen, MarkAndSpaceParityAndFiveDataBitsOpen)
{
    for (uint8_t parity : {uint8_t{3}, uint8_t{4}}) {
        TKivCommPort port;
        ASSERT_TRUE(configure(port, pty.slavePath(), 9600, parity, 5, 0));
        EXPECT_TRUE(port.Open()) << port.lastErrorText();
    }
}

TEST_F(KivCommPortOpen, TheResolverGivesThePath)
{
    TKivCommPort port;
    std::string asked;
    ASSERT_TRUE(port.SetDeviceResolver([&](const std::string& name) {
        asked = name;
        return name == "COM7" ? pty.slavePath() : std::string();
    }));
    ASSERT_TRUE(configure(port, "COM7"));
    ASSERT_TRUE(port.Open()) << port.lastErrorText();
    EXPECT_EQ(asked, "COM7");
    ASSERT_TRUE(port.Close());

    ASSERT_TRUE(port.SetDeviceResolver(
        [](const std::string&) -> std::string { throw std::runtime_error("store unreadable"); }));
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.lastErrorText(), "INVALID_HANDLE_VALUE");

    // An empty resolver is the default one again: a path passes as it is.
    ASSERT_TRUE(port.SetDeviceResolver(nullptr));
    ASSERT_TRUE(configure(port, pty.slavePath()));
    EXPECT_TRUE(port.Open()) << port.lastErrorText();
}

TEST_F(KivCommPortOpen, OpenClearsAnEarlierFailure)
{
    TKivCommPort port;
    ASSERT_TRUE(configure(port, tempDir + "/missing"));
    ASSERT_FALSE(port.Open());
    ASSERT_TRUE(configure(port, pty.slavePath()));
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.lastError(), 0);
    EXPECT_EQ(port.lastErrorText(), "");
}

} // namespace
