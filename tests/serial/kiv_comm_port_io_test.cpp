// Reading, writing, purging and waiting on an open port over a pty, with
// the test playing the PG on the master.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "port_fixture.h"
#include "serial/comm_port_line.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> everyByteValue()
{
    std::vector<uint8_t> bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

using KivCommPortIo = PortOnPty;

TEST_F(KivCommPortIo, EveryByteValuePassesBothWaysUnchanged)
{
    port.SetParams(pty.slavePath(), 9600, 2, 8, 0, 0, true); // rtsToggle on a pty without RTS
    open();
    const std::vector<uint8_t> bytes = everyByteValue();

    ASSERT_TRUE(pty.send(bytes));
    ASSERT_TRUE(waitForBytes(256));
    std::vector<uint8_t> got(1024);
    ASSERT_EQ(port.Read(got.data(), 1024, 0), 256u);
    got.resize(256);
    EXPECT_EQ(got, bytes);

    EXPECT_EQ(port.Write(bytes.data(), 256), 256u);
    EXPECT_EQ(port.lastErrorText(), "");
    EXPECT_EQ(pty.receive(256, 2000), bytes);
}

TEST_F(KivCommPortIo, ReadNeverWaitsAndTakesOnlyWhatFits)
{
    open();
    uint8_t dest[16] = {};
    EXPECT_EQ(port.Read(dest, sizeof dest, 0), 0u);
    EXPECT_EQ(port.lastErrorText(), "");

    ASSERT_TRUE(pty.send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(waitForBytes(10));

    EXPECT_EQ(port.Read(dest, sizeof dest, 1), 1u);
    EXPECT_EQ(dest[0], 1);

    // More waiting than the destination holds: it gets what fits, the rest
    // stays queued and comes with the next read, in order.
    uint8_t small[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(port.Read(small, 4, 0), 4u);
    EXPECT_EQ(std::vector<uint8_t>(small, small + 8),
              (std::vector<uint8_t>{2, 3, 4, 5, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(port.BytesWaiting(), 5u);
    EXPECT_EQ(port.Read(dest, sizeof dest, 0), 5u);
    EXPECT_EQ(std::vector<uint8_t>(dest, dest + 5), (std::vector<uint8_t>{6, 7, 8, 9, 10}));

    EXPECT_EQ(port.Read(nullptr, 16, 0), 0u);
    EXPECT_EQ(port.Read(dest, 0, 0), 0u);
}

TEST_F(KivCommPortIo, TheQueueSizesBoundReadsAndWrites)
{
    ASSERT_TRUE(port.SetBuffers(kEventRxChar, 2000, 4, 8));
    open();
    ASSERT_TRUE(pty.send({1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(waitForBytes(6));
    uint8_t dest[64] = {};
    EXPECT_EQ(port.Read(dest, sizeof dest, 0), 4u);
    EXPECT_EQ(port.Read(dest, sizeof dest, 10), 2u);

    const uint8_t block[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(port.Write(block, 9), 0u);
    EXPECT_EQ(port.lastError(), 1);
    EXPECT_EQ(port.lastErrorText(), "Error in WriteBufferSize");
    EXPECT_EQ(port.Write(block, 8), 8u);
    EXPECT_EQ(port.lastErrorText(), "");
    // Only the accepted block went out.
    EXPECT_EQ(pty.drain(100), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(KivCommPortIo, AWriteTheLineCannotTakeEndsAtItsDeadlineAndLosesNoByte)
{
    // Nobody reads the master, so the pty's buffer fills up.
    ASSERT_TRUE(port.SetBuffers(kEventRxChar, 100, 2048, 32768));
    open();
    std::vector<uint8_t> block(32768);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i * 7);

    uint64_t accepted = 0;
    uint32_t last = 0;
    for (int i = 0; i < 64; ++i) {
        last = port.Write(block.data(), static_cast<uint32_t>(block.size()));
        accepted += last;
        if (last < block.size())
            break;
    }
    ASSERT_LT(last, block.size()) << "the pty never filled up";
    EXPECT_EQ(port.lastError(), ETIMEDOUT);
    EXPECT_EQ(port.lastErrorText(),
              last > 0 ? "Error writing data to port (overlapped)" : "Wait Timeout in Write()");

    // Everything Write counted arrives, in order, and nothing more.
    const std::vector<uint8_t> got = pty.drain(200);
    ASSERT_EQ(got.size(), accepted);
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] != block[i % block.size()]) {
            ADD_FAILURE() << "byte " << i << " differs";
            break;
        }
    }
}

TEST_F(KivCommPortIo, PurgeDiscardsTheAskedSides)
{
    uint8_t dest[16];
    EXPECT_FALSE(port.Purge(true, true)); // closed
    open();
    ASSERT_TRUE(pty.send({1, 2, 3, 4, 5}));
    ASSERT_TRUE(waitForBytes(5));
    EXPECT_FALSE(port.Purge(false, false));
    EXPECT_EQ(port.BytesWaiting(), 5u);
    EXPECT_TRUE(port.Purge(false, true));
    EXPECT_EQ(port.BytesWaiting(), 5u);
    EXPECT_TRUE(port.Purge(true, false));
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_EQ(port.Read(dest, sizeof dest, 0), 0u);
    EXPECT_TRUE(port.Purge(true, true));
}

TEST_F(KivCommPortIo, AClosedPortAnswersAtOnceWithItsFailureValues)
{
    uint8_t dest[4];
    uint32_t events = 0xFFFF;
    PortStatus status{7, 7, 7};
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_EQ(port.Read(dest, sizeof dest, 0), 0u);
    EXPECT_EQ(port.Write(dest, 1), 0u);
    EXPECT_FALSE(port.WaitEvents(events, 10000, status));
    EXPECT_EQ(events, 0u);
    EXPECT_EQ(status.holdFlags, 0u);
    EXPECT_EQ(status.bytesInQueue, 0u);
    EXPECT_EQ(status.bytesOutQueue, 0u);
}

TEST_F(KivCommPortIo, WaitEventsReportsAReceivedCharacter)
{
    open();
    uint32_t events = 0;
    PortStatus status;
    EXPECT_FALSE(port.WaitEvents(events, 20, status));
    EXPECT_EQ(port.lastErrorText(), "Wait Timeout in WaitEvents()");
    EXPECT_EQ(events, 0u);

    // A character that comes while the wait is under way ends it.
    std::thread pg([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.send({0x02, 0x10});
    });
    const bool got = port.WaitEvents(events, 10000, status);
    pg.join();
    EXPECT_TRUE(got) << port.lastErrorText();
    EXPECT_EQ(events, kEventRxChar);

    // Bytes already waiting end it at once and show in the status.
    ASSERT_TRUE(waitForBytes(2));
    ASSERT_TRUE(port.WaitEvents(events, 10000, status));
    EXPECT_EQ(status.bytesInQueue, 2u);
    EXPECT_EQ(status.holdFlags, 0u);
}

TEST_F(KivCommPortIo, WithoutTheCharacterEventThereIsNothingToWaitFor)
{
    ASSERT_TRUE(port.SetBuffers(0, 2000, 2048, 1024));
    open();
    ASSERT_TRUE(pty.send({0x02}));
    ASSERT_TRUE(waitForBytes(1));
    uint32_t events = 0;
    PortStatus status;
    const auto start = Clock::now();
    EXPECT_FALSE(port.WaitEvents(events, 10000, status));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)); // hang check
    EXPECT_EQ(events, 0u);
    EXPECT_EQ(port.lastErrorText(), "");
}

TEST_F(KivCommPortIo, CloseOnAnotherThreadEndsAWaitAtOnce)
{
    open();
    std::atomic<bool> waiting{false};
    bool result = true;
    std::string text;
    Clock::duration took{};
    std::thread worker([&] {
        uint32_t events = 0;
        PortStatus status;
        waiting = true;
        const auto start = Clock::now();
        result = port.WaitEvents(events, 10000, status);
        took = Clock::now() - start;
        text = port.lastErrorText();
    });
    while (!waiting)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(port.Close());
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(text, "Close Comm WaitEvents()");
    EXPECT_LT(took, std::chrono::seconds(2)); // hang check against the 10 s time-out
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(KivCommPortIo, AHungUpLineIsReportedAtOnce)
{
    open();
    EXPECT_FALSE(port.HungUp());
    pty.closeMaster();
    uint32_t events = 0;
    PortStatus status;
    const auto start = Clock::now();
    EXPECT_FALSE(port.WaitEvents(events, 10000, status));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)); // hang check against 10 s
    EXPECT_EQ(port.lastErrorText(), "Wait Failed in WaitEvents()");
    EXPECT_EQ(port.lastError(), EIO);
    EXPECT_TRUE(port.HungUp());
    EXPECT_TRUE(port.IsOpen()); // only Close ends it
    const uint8_t byte = 0x02;
    EXPECT_EQ(port.Write(&byte, 1), 0u);
    EXPECT_EQ(port.lastErrorText(), "Error in Write()");
    EXPECT_EQ(port.lastError(), EIO);
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.HungUp());
}

TEST_F(KivCommPortIo, AWriteIntoAHungUpLineMarksItHungUp)
{
    open();
    pty.closeMaster();
    const uint8_t byte = 0x02;
    EXPECT_EQ(port.Write(&byte, 1), 0u);
    EXPECT_TRUE(port.HungUp());
    EXPECT_EQ(port.BytesWaiting(), 0u);
}

TEST_F(KivCommPortIo, TheAdapterForwardsEveryOperationToThePort)
{
    CommPortLine adapter(port);
    RunnerPort& runnerPort = adapter;
    Line& line = adapter;
    EXPECT_FALSE(line.IsOpen());
    ASSERT_TRUE(runnerPort.SetBuffers(kEventRxChar, 700, 2048, 16));
    ASSERT_TRUE(runnerPort.SetParams(pty.slavePath(), 19200, 1, 7, 2, 3, false));
    EXPECT_EQ(port.timeoutMs(), 700u);
    EXPECT_EQ(port.outQueueSize(), 16u);
    EXPECT_EQ(port.baudRate(), 19200u);
    EXPECT_EQ(port.flowControl(), 3);
    ASSERT_TRUE(runnerPort.Open()) << port.lastErrorText();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(line.IsOpen());
    EXPECT_FALSE(runnerPort.SetParams("COM2", 9600, 0, 8, 0, 0, false));

    const uint8_t reply[] = {0x10, 0x06};
    EXPECT_EQ(line.Write(reply, 2), 2u);
    EXPECT_EQ(pty.receive(2, 2000), (std::vector<uint8_t>{0x10, 0x06}));

    ASSERT_TRUE(pty.send({0x02, 0x03, 0x04}));
    uint32_t events = 0;
    PortStatus status;
    ASSERT_TRUE(line.WaitEvents(events, 2000, status));
    EXPECT_EQ(events, kEventRxChar);
    ASSERT_TRUE(waitForBytes(3));
    EXPECT_EQ(line.BytesWaiting(), 3u);
    uint8_t dest[8] = {};
    EXPECT_EQ(line.Read(dest, sizeof dest, 2), 2u);
    EXPECT_EQ(line.Read(dest + 2, sizeof dest - 2, 0), 1u);
    EXPECT_EQ(std::vector<uint8_t>(dest, dest + 3), (std::vector<uint8_t>{0x02, 0x03, 0x04}));

    ASSERT_TRUE(pty.send({0x55}));
    ASSERT_TRUE(waitForBytes(1));
    EXPECT_TRUE(runnerPort.Purge(true, true));
    EXPECT_EQ(port.BytesWaiting(), 0u);

    EXPECT_TRUE(runnerPort.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(line.IsOpen());
    EXPECT_FALSE(runnerPort.Close());
}

// The worker reads, waits and answers while the user-interface thread opens
// and closes the port over and over: nothing may hang, crash or race.
TEST_F(KivCommPortIo, OpenAndCloseWhileTheWorkerUsesThePort)
{
    port.SetBuffers(kEventRxChar, 200, 2048, 1024);
    std::atomic<bool> stop{false};
    std::atomic<int> waits{0};
    std::thread worker([&] {
        uint8_t buffer[64];
        while (!stop) {
            if (!port.IsOpen()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            uint32_t events = 0;
            PortStatus status;
            if (port.WaitEvents(events, 200, status)) {
                const uint32_t n = port.Read(buffer, sizeof buffer, 0);
                port.Write(buffer, n);
            }
            port.BytesWaiting();
            ++waits;
        }
    });
    std::thread pg([&] {
        while (!stop) {
            pty.send({0x02});
            pty.drain(1);
        }
    });
    for (int i = 0; i < 30; ++i) {
        const bool opened = port.Open();
        EXPECT_TRUE(opened) << i << ": " << port.lastErrorText() << " " << port.lastError();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(port.Close(), opened);
    }
    stop = true;
    worker.join();
    pg.join();
    EXPECT_GT(waits.load(), 0);
}

} // namespace
