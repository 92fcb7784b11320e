// The line a transaction reads once Stop and Run have closed and reopened
// the port under it: closed to that transaction, and the bytes that came
// for the next one stay where they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/runner_port.h"
#include "core/session_line.h"

namespace {

// A port that is always open and holds the bytes a new PG has sent.
class WaitingPort : public RunnerPort
{
public:
    std::vector<uint8_t> queued{0x02};
    int reads = 0;
    int writes = 0;

    bool IsOpen() override { return true; }
    uint32_t BytesWaiting() override { return static_cast<uint32_t>(queued.size()); }
    bool WaitEvents(uint32_t& events, uint32_t, PortStatus& status) override
    {
        events = kEventRxChar;
        status.bytesInQueue = BytesWaiting();
        return true;
    }
    uint32_t Read(uint8_t* dest, uint32_t capacity, uint32_t) override
    {
        ++reads;
        const uint32_t n = std::min<uint32_t>(capacity, static_cast<uint32_t>(queued.size()));
        std::copy_n(queued.begin(), n, dest);
        queued.erase(queued.begin(), queued.begin() + n);
        return n;
    }
    uint32_t Write(const uint8_t*, uint32_t count) override
    {
        ++writes;
        return count;
    }
    bool HungUp() override { return false; }
    bool SetBuffers(uint32_t, uint32_t, uint32_t, uint32_t) override { return true; }
    bool SetParams(const std::string&, uint32_t, uint8_t, uint8_t, uint8_t, int32_t, bool) override
    {
        return true;
    }
    bool Open() override { return true; }
    bool Close() override { return true; }
    bool Purge(bool, bool) override { return true; }
    std::string DescribeOpenFailure() override { return {}; }
};

TEST(SessionLineTest, ATransactionOfAnEarlierOpeningSeesTheLineClosed)
{
    WaitingPort port;
    std::mutex runLock;
    std::atomic<uint64_t> openings{4};
    SessionLine line(port, runLock, openings);
    line.Begin();
    EXPECT_TRUE(line.IsOpen());
    EXPECT_EQ(line.BytesWaiting(), 1u);

    openings += 2; // Stop, then Run
    uint8_t byte = 0;
    uint32_t events = 0;
    PortStatus status;
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(line.BytesWaiting(), 0u);
    EXPECT_FALSE(line.WaitEvents(events, 100, status));
    EXPECT_EQ(events, 0u);
    EXPECT_EQ(line.Read(&byte, 1, 1), 0u);
    EXPECT_EQ(line.Write(&byte, 1), 0u);
    EXPECT_EQ(port.reads, 0);
    EXPECT_EQ(port.writes, 0);
    EXPECT_EQ(port.queued.size(), 1u) << "the new PG's STX was taken";

    // The next transaction begins on the new opening and reads it.
    line.Begin();
    EXPECT_EQ(line.Read(&byte, 1, 1), 1u);
    EXPECT_EQ(byte, 0x02);
}

} // namespace
