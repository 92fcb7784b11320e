// The built-in virtual port: a COM port mapped to "pty" opens a
// pseudo-terminal pair, publishes the slave as a link in the runtime
// directory, and serves a PG that opens that link with line settings of its
// own, closes it and opens it again between exchanges. After Close the link
// is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "core/link_layer.h"
#include "core/plc_image.h"
#include "core/transaction.h"
#include "serial/comm_port_line.h"
#include "serial/kiv_comm_port.h"
#include "serial/open_failure.h"
#include "serial/virtual_port.h"
#include "support/pg_device.h"
#include "support/pg_requests.h"

namespace {

using Bytes = std::vector<uint8_t>;

class VirtualPortTest : public testing::Test
{
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/orvane-run-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_runtime = folder;
        setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
        port.SetDeviceResolver([](const std::string& name) {
            return name == "COM3" ? std::string(kVirtualPortDevice) : DefaultDevicePath(name);
        });
        ASSERT_TRUE(port.SetBuffers(kEventRxChar, 2000, 2048, 1024));
        ASSERT_TRUE(port.SetParams("COM3", 9600, 2, 8, 0, 0, false));
    }
    void TearDown() override
    {
        StopServing();
        port.Close();
        rmdir((m_runtime + "/orvane").c_str());
        rmdir(m_runtime.c_str());
    }

    std::string Link() const { return m_runtime + "/orvane/COM3"; }

    // The runner's poll step in a loop: serve whenever bytes are waiting.
    void StartServing()
    {
        m_server = std::thread([this] {
            LinkLayer link(line, [this] { return m_stop.load(); });
            TransactionContext ctx{image, link, activity, {}, {}};
            while (!m_stop) {
                uint32_t events = 0;
                PortStatus status;
                if (port.BytesWaiting() > 0 || port.WaitEvents(events, 20, status)) {
                    if (ServeTransaction(ctx) == 0)
                        ++served;
                    else
                        port.Purge(true, true);
                }
            }
        });
    }
    void StopServing()
    {
        m_stop = true;
        if (m_server.joinable())
            m_server.join();
    }

    TKivCommPort port;
    CommPortLine line{port};
    PlcImage image;
    ActivityFlags activity;
    std::atomic<int> served{0};

private:
    std::string m_runtime;
    std::atomic<bool> m_stop{false};
    std::thread m_server;
};

TEST_F(VirtualPortTest, ThePublishedLinkServesAPgThatComesAndGoes)
{
    ASSERT_TRUE(port.Open()) << port.lastErrorText() << " " << port.lastError();
    EXPECT_EQ(port.pgDevicePath(), Link());
    EXPECT_EQ(VirtualPortLinkPath("COM3"), Link());
    char target[256] = {};
    ASSERT_GT(readlink(Link().c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
    struct stat folder{};
    ASSERT_EQ(stat((Link().substr(0, Link().rfind('/'))).c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    image.WriteCell(PlcArea::MB, 1, 0x11);
    StartServing();
    // Each time the PG opens the link afresh with settings of its own.
    const struct
    {
        uint32_t baud;
        char parity;
    } sessions[] = {{19200, 'E'}, {9600, 'N'}, {115200, 'O'}, {38400, 'E'}};
    for (const auto& session : sessions) {
        PgDevice pg(Link(), session.baud, session.parity);
        ASSERT_TRUE(pg.ok()) << pg.error();
        EXPECT_TRUE(pg.play(pg::ReadMemory(0xEE01, 0xEE01, Bytes{0x11}), 2000));
        EXPECT_TRUE(pg.play(pg::WriteMemory(0xEE02, Bytes{static_cast<uint8_t>(session.parity)}), 2000));
        EXPECT_TRUE(port.IsOpen());
        EXPECT_FALSE(port.HungUp()); // the PG closing its side hangs nothing up
    }
    StopServing();
    EXPECT_EQ(served.load(), 8);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 2), 'E');

    EXPECT_TRUE(port.Close());
    EXPECT_NE(access(Link().c_str(), F_OK), 0); // the link went with the port
}

TEST_F(VirtualPortTest, EveryOpenReplacesTheLink)
{
    ASSERT_TRUE(port.Open());
    char first[256] = {};
    ASSERT_GT(readlink(Link().c_str(), first, sizeof first - 1), 0);
    ASSERT_TRUE(port.Close());
    // A stale link from a run that crashed is replaced, not refused.
    ASSERT_EQ(symlink("/dev/pts/orvane-stale", Link().c_str()), 0);
    ASSERT_TRUE(port.Open());
    char second[256] = {};
    ASSERT_GT(readlink(Link().c_str(), second, sizeof second - 1), 0);
    EXPECT_STRNE(second, "/dev/pts/orvane-stale");
    EXPECT_EQ(port.pgDevicePath(), Link());
    ASSERT_TRUE(port.Close());
    EXPECT_NE(access(Link().c_str(), F_OK), 0);
}

TEST_F(VirtualPortTest, WhatThePgHasNotReadIsPurged)
{
    ASSERT_TRUE(port.Open());
    PgDevice pg(Link());
    ASSERT_TRUE(pg.ok());
    const uint8_t stale[] = {0x10, 0x06, 0x02};
    ASSERT_EQ(port.Write(stale, 3), 3u);
    EXPECT_TRUE(port.Purge(true, true));
    EXPECT_EQ(pg.drain(50), Bytes{});
}

TEST_F(VirtualPortTest, ALinkThatCannotBeMadeFailsTheOpen)
{
    // The runtime directory's orvane folder is a file: nowhere to publish.
    ASSERT_EQ(mkdir((Link().substr(0, Link().rfind('/'))).c_str(), 0700), 0);
    rmdir((Link().substr(0, Link().rfind('/'))).c_str());
    FILE* blocker = std::fopen((Link().substr(0, Link().rfind('/'))).c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.lastErrorText(), "INVALID_HANDLE_VALUE");
    EXPECT_EQ(OpenFailureText(port.deviceName(), port.devicePath(), port.lastError(),
                              port.lastErrorText()),
              "COM3 (pty): not a directory");
    unlink((Link().substr(0, Link().rfind('/'))).c_str());
}

} // namespace
