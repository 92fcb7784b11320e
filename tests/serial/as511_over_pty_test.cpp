// Complete AS511 exchanges through the real serial port: a PG thread on the
// master of a pty plays read, write, system-parameter and block-information
// requests, the worker side runs the link layer and ServeTransaction over
// the port, and the PG checks every byte it gets back.
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/link_layer.h"
#include "core/plc_image.h"
#include "core/transaction.h"
#include "core/transaction_result.h"
#include "port_fixture.h"
#include "serial/comm_port_line.h"
#include "support/pg_requests.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// The system-parameter payload of a default image.
const Bytes kSystemParameters = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0xEF, 0x00, 0xEF, 0x80, 0xEE, 0x00, 0xEC, 0x00, 0xED, 0x00,
    0xEA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// Plays the steps on the master and keeps every reply it got; stops at the
// first reply that does not come within a few seconds. afterStep runs on
// the PG's thread after each complete reply.
class PgPlayer
{
  public:
    PgPlayer(PtyPair& pty, std::vector<pg::Step> steps, std::function<void(size_t)> afterStep = {})
        : m_thread([this, &pty, steps = std::move(steps), afterStep = std::move(afterStep)] {
              for (size_t i = 0; i < steps.size(); ++i) {
                  if (!pty.send(steps[i].send))
                      return;
                  Bytes got = pty.receive(steps[i].reply.size(), 5000);
                  const bool complete = got.size() == steps[i].reply.size();
                  m_replies.push_back(std::move(got));
                  if (!complete)
                      return;
                  if (afterStep)
                      afterStep(i);
              }
          })
    {
    }
    ~PgPlayer() { join(); }

    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    // Valid after join().
    const std::vector<Bytes>& replies() const { return m_replies; }

  private:
    std::vector<Bytes> m_replies;
    std::thread m_thread;
};

std::vector<Bytes> expectedReplies(const pg::Exchange& exchange)
{
    std::vector<Bytes> replies;
    for (const pg::Step& s : exchange.steps)
        replies.push_back(s.reply);
    return replies;
}

// Counts the calls the link layer makes and shows whether one of them is
// asleep in WaitEvents right now.
class WatchedLine : public Line
{
  public:
    explicit WatchedLine(Line& inner) : m_inner(inner) {}

    bool IsOpen() override { return m_inner.IsOpen(); }
    uint32_t BytesWaiting() override
    {
        ++bytesWaitingCalls;
        return m_inner.BytesWaiting();
    }
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) override
    {
        ++waitEventsCalls;
        inWaitEvents = true;
        const bool got = m_inner.WaitEvents(events, timeoutMs, status);
        inWaitEvents = false;
        return got;
    }
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) override
    {
        return m_inner.Read(dest, destCapacity, count);
    }
    uint32_t Write(const uint8_t* data, uint32_t count) override
    {
        return m_inner.Write(data, count);
    }
    bool HungUp() override { return m_inner.HungUp(); }

    std::atomic<int> bytesWaitingCalls{0};
    std::atomic<int> waitEventsCalls{0};
    std::atomic<bool> inWaitEvents{false};

  private:
    Line& m_inner;
};

class As511OverPty : public PortOnPty
{
  protected:
    void SetUp() override
    {
        PortOnPty::SetUp();
        open();
    }

    // The runner's poll step: serve once bytes are waiting.
    int32_t serveWhenBytesCome(LinkLayer& link)
    {
        if (!waitForBytes(1, 5000))
            return -1;
        TransactionContext ctx{image, link, activity, [this] { ++handOffs; }, {}};
        return ServeTransaction(ctx);
    }

    PlcImage image;
    ActivityFlags activity;
    int handOffs = 0;
    CommPortLine line{port};
};

TEST_F(As511OverPty, EveryKindOfRequestIsAnsweredByteForByte)
{
    const uint16_t db1 = static_cast<uint16_t>(PlcImage::DefaultDbStart(1)); // 0xDF8A
    image.WriteDbWord(1, 0, 0x1010);
    image.WriteDbWord(1, 1, 0x1234);
    image.WriteDbWord(1, 2, 0x0003);

    const Bytes dbWords = {0x10, 0x10, 0x12, 0x34, 0x00, 0x03};
    const Bytes tData = {0x10, 0x20, 0x30};
    const Bytes db3Info = {0x00, 0xDD, 0x8A, 0x70, 0x70, 0x41, 0x03,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x85};
    struct Case
    {
        const char* what;
        pg::Exchange exchange;
    };
    const Case cases[] = {
        {"read DB 1 DW 0..2, a DLE word among them",
         pg::ReadMemory(db1, static_cast<uint16_t>(db1 + 5), dbWords)},
        {"write T 0..1 with a DLE in the data", pg::WriteMemory(0xEC00, tData)},
        {"system parameters", pg::SystemParameters(kSystemParameters)},
        {"block information of DB 3", pg::BlockInfo(0x01, 0x03, db3Info)},
    };
    // The data telegram of the read as it stands on the line.
    ASSERT_EQ(cases[0].exchange.steps[pg::kReadAckToAckStx].reply,
              (Bytes{0, 0, 0, 0, 0, 0x10, 0x10, 0x10, 0x10, 0x12, 0x34, 0x00, 0x03, 0x10, 0x03}));

    LinkLayer link(line, [] { return false; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PgPlayer player(pty, c.exchange.steps);
        EXPECT_EQ(serveWhenBytesCome(link), result::kDone);
        player.join();
        EXPECT_EQ(player.replies(), expectedReplies(c.exchange));
        EXPECT_EQ(pty.drain(50), Bytes{}); // nothing after the exchange
    }

    EXPECT_EQ(image.ReadCell(PlcArea::T, 0), 0x1020);
    EXPECT_EQ(image.ReadCell(PlcArea::T, 1), 0x3000);
    EXPECT_EQ(activity.readActivity.load(), 1);
    EXPECT_EQ(activity.writeActivity.load(), 1);
    EXPECT_EQ(handOffs, 4);
}

TEST_F(As511OverPty, TheWorkerSleepsInWaitEventsWhileTheLineIsIdle)
{
    WatchedLine watched(line);
    LinkLayer link(watched, [] { return false; });
    const pg::Exchange request = pg::SystemParameters(kSystemParameters);
    // After the STX that answers its function byte the PG pauses before its
    // DLE ACK and looks at the worker meanwhile.
    bool sawWorkerAsleep = false;
    int callsDuringPause = -1;
    PgPlayer player(pty, request.steps, [&](size_t step) {
        if (step != pg::kReadFunction)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const int before = watched.bytesWaitingCalls;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        sawWorkerAsleep = watched.inWaitEvents;
        callsDuringPause = watched.bytesWaitingCalls - before;
    });
    EXPECT_EQ(serveWhenBytesCome(link), result::kDone);
    player.join();
    EXPECT_EQ(player.replies(), expectedReplies(request));
    EXPECT_TRUE(sawWorkerAsleep);
    // A worker that polled instead would have asked thousands of times.
    EXPECT_GE(callsDuringPause, 0);
    EXPECT_LE(callsDuringPause, 2);
    EXPECT_GE(watched.waitEventsCalls.load(), 1);
}

TEST_F(As511OverPty, StopDuringATransactionEndsItsWaitAtOnce)
{
    // A receive time-out far beyond the hang check shows that Close, not
    // the time-out, ended the wait.
    LinkLayer link(
        line, [] { return false; }, 20000);
    const pg::Exchange request = pg::SystemParameters(kSystemParameters);
    PgPlayer player(pty, {request.steps[pg::kReadStx]});
    int32_t served = -1;
    Clock::duration took{};
    std::thread worker([&] {
        const auto start = Clock::now();
        served = serveWhenBytesCome(link);
        took = Clock::now() - start;
    });
    player.join(); // the worker now waits for the function byte
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(port.Close());
    worker.join();
    EXPECT_EQ(served, result::kNoFunction);
    EXPECT_LT(took, std::chrono::seconds(10)); // hang check
}

} // namespace
