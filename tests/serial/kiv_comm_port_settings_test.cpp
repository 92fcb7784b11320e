// The port's parameters and buffer settings: defaults, the order in which
// SetParams checks and stores, the flow-control table, the bounds of
// SetBuffers, and that neither changes anything on an open port.
#include <string>

#include <gtest/gtest.h>

#include "serial/device_names.h"
#include "serial/kiv_comm_port.h"
#include "support/pty_pair.h"

namespace {

TEST(KivCommPortSettings, DefaultsAtConstruction)
{
    TKivCommPort port;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.deviceName(), "COM1");
    EXPECT_EQ(port.baudRate(), 9600u);
    EXPECT_EQ(port.parity(), 0);
    EXPECT_EQ(port.dataBits(), 8);
    EXPECT_EQ(port.stopBits(), 0);
    EXPECT_EQ(port.flowControl(), 0);
    EXPECT_FALSE(port.rtsToggle());
    EXPECT_EQ(port.rtsControl(), 1);
    EXPECT_EQ(port.dtrControl(), 1);
    EXPECT_FALSE(port.ctsFlow() || port.dsrFlow() || port.xonXoffOut() || port.xonXoffIn());
    EXPECT_EQ(port.eventMask(), 0u);
    EXPECT_EQ(port.outQueueSize(), 2048u);
    EXPECT_EQ(port.inQueueSize(), 1024u);
    EXPECT_EQ(port.timeoutMs(), 1000u);
    EXPECT_EQ(port.lastError(), 0);
    EXPECT_EQ(port.lastErrorText(), "");
}

// Every case starts from the defaults (9600, 0, 8, 0, 0) and asks for
// values that differ from them, so a field that was stored shows.
struct ParamsCase
{
    const char* what;
    uint32_t baud;
    uint8_t parity, dataBits, stopBits;
    int32_t flow;
    bool ok;
    // What the fields hold afterwards.
    uint32_t wantBaud;
    uint8_t wantParity, wantDataBits, wantStopBits;
    int32_t wantFlow;
};

const ParamsCase kParamsCases[] = {
    {"all accepted", 19200, 2, 7, 2, 3, true, 19200, 2, 7, 2, 3},
    {"lowest baud", 110, 1, 5, 1, 2, true, 110, 1, 5, 1, 2},
    {"highest baud", 921600, 4, 4, 2, 4, true, 921600, 4, 4, 2, 4},
    {"baud too low", 100, 2, 7, 2, 3, false, 9600, 0, 8, 0, 0},
    {"baud too high", 921601, 2, 7, 2, 3, false, 9600, 0, 8, 0, 0},
    {"parity 5", 19200, 5, 7, 2, 3, false, 19200, 0, 8, 0, 0},
    {"3 data bits", 19200, 2, 3, 2, 3, false, 19200, 2, 8, 0, 0},
    {"9 data bits", 19200, 2, 9, 2, 3, false, 19200, 2, 8, 0, 0},
    {"stop code 3", 19200, 2, 7, 3, 3, false, 19200, 2, 7, 0, 0},
    {"flow 5", 19200, 2, 7, 2, 5, false, 19200, 2, 7, 2, 0},
    {"flow -1", 19200, 2, 7, 2, -1, false, 19200, 2, 7, 2, 0},
};

TEST(KivCommPortSettings, SetParamsChecksInOrderAndStopsAtFirstRefusal)
{
    for (const ParamsCase& c : kParamsCases) {
        SCOPED_TRACE(c.what);
        TKivCommPort port;
        EXPECT_EQ(port.SetParams("COM7", c.baud, c.parity, c.dataBits, c.stopBits, c.flow, true),
                  c.ok);
        EXPECT_EQ(port.deviceName(), "COM7");
        EXPECT_TRUE(port.rtsToggle());
        EXPECT_EQ(port.baudRate(), c.wantBaud);
        EXPECT_EQ(port.parity(), c.wantParity);
        EXPECT_EQ(port.dataBits(), c.wantDataBits);
        EXPECT_EQ(port.stopBits(), c.wantStopBits);
        EXPECT_EQ(port.flowControl(), c.wantFlow);
        if (!c.ok) { // the line modes stay as they were too
            EXPECT_EQ(port.rtsControl(), 1);
            EXPECT_EQ(port.dtrControl(), 1);
        }
    }
}

TEST(KivCommPortSettings, FlowControlSetsTheLineModes)
{
    struct Row
    {
        int32_t flow, rts, dtr;
        bool cts, dsr, xOut, xIn;
    };
    const Row rows[] = {
        {0, 0, 0, false, false, false, false}, {1, 2, 2, true, true, false, false},
        {2, 1, 1, false, false, true, true},   {3, 2, 1, true, false, false, false},
        {4, 1, 2, false, true, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.flow);
        TKivCommPort port;
        // A scheme first, then another: every mode must follow the last one.
        ASSERT_TRUE(port.SetParams("COM1", 9600, 0, 8, 0, (r.flow + 1) % 5, false));
        ASSERT_TRUE(port.SetParams("COM1", 9600, 0, 8, 0, r.flow, false));
        EXPECT_EQ(port.rtsControl(), r.rts);
        EXPECT_EQ(port.dtrControl(), r.dtr);
        EXPECT_EQ(port.ctsFlow(), r.cts);
        EXPECT_EQ(port.dsrFlow(), r.dsr);
        EXPECT_EQ(port.xonXoffOut(), r.xOut);
        EXPECT_EQ(port.xonXoffIn(), r.xIn);
    }
}

TEST(KivCommPortSettings, DeviceNameIsCutTo255Characters)
{
    TKivCommPort port;
    port.SetParams(std::string(300, 'x'), 9600, 0, 8, 0, 0, false);
    EXPECT_EQ(port.deviceName(), std::string(255, 'x'));
}

TEST(KivCommPortSettings, SetBuffersTakesSizesOnlyWithinBounds)
{
    struct Case
    {
        uint32_t in, out;
        bool ok;
    };
    const Case cases[] = {
        {1, 1, true},     {32768, 32768, true}, {0, 1024, false},
        {1024, 0, false}, {32769, 1024, false}, {1024, 32769, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in << "/" << c.out);
        TKivCommPort port;
        EXPECT_EQ(port.SetBuffers(0x81, 333, c.in, c.out), c.ok);
        EXPECT_EQ(port.eventMask(), 0x81u);
        EXPECT_EQ(port.timeoutMs(), 333u);
        EXPECT_EQ(port.inQueueSize(), c.ok ? c.in : 1024u);
        EXPECT_EQ(port.outQueueSize(), c.ok ? c.out : 2048u);
    }
}

TEST(KivCommPortSettings, NothingChangesWhileOpen)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TKivCommPort port;
    ASSERT_TRUE(port.SetBuffers(kEventRxChar, 500, 2048, 1024));
    ASSERT_TRUE(port.SetParams(pty.slavePath(), 19200, 2, 8, 0, 0, false));
    ASSERT_TRUE(port.Open()) << port.lastErrorText();

    EXPECT_FALSE(port.SetParams("COM3", 9600, 1, 7, 2, 2, true));
    EXPECT_FALSE(port.SetBuffers(0, 99, 16, 16));
    EXPECT_FALSE(port.SetDeviceResolver([](const std::string&) { return std::string(); }));

    EXPECT_EQ(port.deviceName(), pty.slavePath());
    EXPECT_EQ(port.baudRate(), 19200u);
    EXPECT_EQ(port.parity(), 2);
    EXPECT_FALSE(port.rtsToggle());
    EXPECT_EQ(port.flowControl(), 0);
    EXPECT_EQ(port.eventMask(), kEventRxChar);
    EXPECT_EQ(port.timeoutMs(), 500u);
    EXPECT_EQ(port.inQueueSize(), 2048u);
    EXPECT_EQ(port.outQueueSize(), 1024u);

    // The refused resolver did not replace the path for the next Open.
    ASSERT_TRUE(port.Close());
    EXPECT_TRUE(port.Open()) << port.lastErrorText();
}

TEST(DeviceNames, DefaultDevicePath)
{
    struct Case
    {
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"COM255", "/dev/ttyS254"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/", "/"},
        {"COM0", ""},
        {"COM256", ""},
        {"COM01", ""},
        {"com1", ""},
        {"COM", ""},
        {"COM1a", ""},
        {"COM-1", ""},
        {"COM1000", ""},
        {"", ""},
        {"LPT1", ""},
        {"ttyS0", ""},
        {"COM99999999999", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultDevicePath(c.name), c.path) << c.name;
}

} // namespace
