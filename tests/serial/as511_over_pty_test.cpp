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
#include "port_fixture.h"
#include "serial/comm_port_line.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kDleAck = {0x10, 0x06};

// The parameter telegram as the PG sends it: every DLE doubled, DLE EOT.
Bytes parameterTelegram(const Bytes& params)
{
    Bytes t;
    for (uint8_t b : params) {
        t.push_back(b);
        if (b == 0x10)
            t.push_back(b);
    }
    t.push_back(0x10);
    t.push_back(0x04);
    return t;
}

// The system-parameter data telegram of a default image.
const Bytes kSystemParameters = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0xEF, 0x00, 0xEF, 0x80, 0xEE, 0x00, 0xEC, 0x00, 0xED, 0x00, 0xEA,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x03};

// One move of the PG: send bytes, then take the reply of that many bytes.
struct PgStep
{
    Bytes send;
    Bytes reply;
};

std::vector<PgStep> readingExchange(uint8_t function, const Bytes& params, const Bytes& data)
{
    return {
        {{0x02}, kDleAck},
        {{function}, {0x02}},
        {kDleAck, {0x16, 0x10, 0x03}},
        {kDleAck, {}},
        {parameterTelegram(params), {0x10, 0x06, 0x02}},
        {kDleAck, data},
        {kDleAck, {0x02}},
        {kDleAck, {0x12, 0x10, 0x03}},
        {kDleAck, {}},
    };
}

std::vector<PgStep> writingExchange(const Bytes& params)
{
    return {
        {{0x02}, kDleAck},
        {{0x03}, {0x02}},
        {kDleAck, {0x16, 0x10, 0x03}},
        {kDleAck, {}},
        {parameterTelegram(params), {0x10, 0x06, 0x02}},
        {kDleAck, {0x12, 0x10, 0x03}},
        {kDleAck, {}},
    };
}

// Plays the steps on the master and keeps every reply it got; stops at the
// first reply that does not come within a few seconds.
class Pg
{
  public:
    Pg(PtyPair& pty, std::vector<PgStep> steps, std::function<void(size_t)> afterStep = {})
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
    ~Pg() { join(); }

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

std::vector<Bytes> expectedReplies(const std::vector<PgStep>& steps)
{
    std::vector<Bytes> replies;
    for (const PgStep& s : steps)
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
    const int32_t db1 = PlcImage::DefaultDbStart(1); // 0xDF8A
    image.WriteDbWord(1, 0, 0x1010);
    image.WriteDbWord(1, 1, 0x1234);
    image.WriteDbWord(1, 2, 0x0003);

    struct Case
    {
        const char* what;
        std::vector<PgStep> steps;
    };
    const Case cases[] = {
        {"read DB 1 DW 0..2, a DLE word among them",
         readingExchange(
             0x04, {static_cast<uint8_t>(db1 >> 8), static_cast<uint8_t>(db1), 0xDF, 0x8F},
             {0, 0, 0, 0, 0, 0x10, 0x10, 0x10, 0x10, 0x12, 0x34, 0x00, 0x03, 0x10, 0x03})},
        {"write T 0..1 with a doubled DLE in the data",
         writingExchange({0xEC, 0x00, 0x10, 0x20, 0x30})},
        {"system parameters", readingExchange(0x18, {}, kSystemParameters)},
        {"block information of DB 3",
         readingExchange(0x1A, {0x01, 0x03},
                         {0x00, 0xDD, 0x8A, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x85, 0x10, 0x03})},
    };

    LinkLayer link(line, [] { return false; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pg pg(pty, c.steps);
        EXPECT_EQ(serveWhenBytesCome(link), 0);
        pg.join();
        EXPECT_EQ(pg.replies(), expectedReplies(c.steps));
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
    const std::vector<PgStep> steps = readingExchange(0x18, {}, kSystemParameters);
    // After the DLE ACK to its STX the PG pauses before the function byte
    // and looks at the worker meanwhile.
    bool sawWorkerAsleep = false;
    int callsDuringPause = -1;
    Pg pg(pty, steps, [&](size_t step) {
        if (step != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const int before = watched.bytesWaitingCalls;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        sawWorkerAsleep = watched.inWaitEvents;
        callsDuringPause = watched.bytesWaitingCalls - before;
    });
    EXPECT_EQ(serveWhenBytesCome(link), 0);
    pg.join();
    EXPECT_EQ(pg.replies(), expectedReplies(steps));
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
    Pg pg(pty, {{{0x02}, kDleAck}});
    int32_t result = -1;
    Clock::duration took{};
    std::thread worker([&] {
        const auto start = Clock::now();
        result = serveWhenBytesCome(link);
        took = Clock::now() - start;
    });
    pg.join(); // the worker now waits for the function byte
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(port.Close());
    worker.join();
    EXPECT_EQ(result, 3);                      // no function byte
    EXPECT_LT(took, std::chrono::seconds(10)); // hang check
}

} // namespace
