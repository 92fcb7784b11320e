// The runner against a PG that misbehaves, over a real pty with the
// program's own time-outs: exchanges abandoned at every step and retried,
// noise between exchanges, a parameter telegram past the receive buffer,
// Stop at every step, and a line that hangs up or whose device vanishes
// and comes back. Each ends with a valid exchange that must be served and
// an image that holds every write accepted before.
#include "core/runner_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <random>
#include <unistd.h>

namespace {

class RunnerFaults : public RunnerOnPty
{
protected:
    uint32_t ReceiveTimeoutMs() const override { return kDefaultReceiveTimeoutMs; }
};

// A PG that gave up on an exchange just now and tries again every periodMs:
// a try not answered in full (each reply awaited at most replyMs) is given
// up, stale bytes are read away, and the next try starts periodMs after the
// one before. The number of the retry that was answered, 0 when none of
// maxTries was.
int PlayRetrying(PtyPair& pty, const pg::Exchange& exchange, int maxTries, int periodMs = 500,
                 int replyMs = 300)
{
    const auto start = std::chrono::steady_clock::now();
    for (int attempt = 1; attempt <= maxTries; ++attempt) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(periodMs * attempt));
        pty.drain(0);
        if (pty.play(exchange, replyMs))
            return attempt;
    }
    return 0;
}

// Sends the steps before `step` with their replies, then the first `bytes`
// bytes of that step, and goes quiet. False when a reply was wrong.
bool Abandon(PtyPair& pty, const pg::Exchange& exchange, size_t step, size_t bytes)
{
    for (size_t i = 0; i < step; ++i) {
        const pg::Step& s = exchange.steps[i];
        if (!pty.send(s.send))
            return false;
        if (!s.reply.empty() && pty.receive(s.reply.size(), 2000) != s.reply)
            return false;
    }
    const Bytes& part = exchange.steps[step].send;
    return pty.send(Bytes(part.begin(), part.begin() + static_cast<std::ptrdiff_t>(bytes)));
}

Bytes Counting(size_t n, uint8_t from)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(from + i);
    return bytes;
}

const Bytes kMb0To63 = Counting(64, 1);

struct Cut
{
    const char* name;
    bool write;
    size_t step;
    // Bytes of that step sent before the PG goes quiet; SIZE_MAX: all but
    // the last two (a parameter telegram without its DLE EOT).
    size_t bytes;
    bool writeApplied; // the abandoned write got far enough to be stored
};

void PrintTo(const Cut& cut, std::ostream* out)
{
    *out << cut.name;
}

pg::Exchange AbandonedExchange(const Cut& cut)
{
    return cut.write ? pg::WriteMemory(0xEE00, kMb0To63)
                     : pg::ReadMemory(0xDF8A, 0xDF8B, Bytes{0x00, 0x00});
}

class RunnerAbandoned : public RunnerFaults, public testing::WithParamInterface<Cut>
{
};

// Whatever step the PG gave up at, its next or next-but-one try is served.
TEST_P(RunnerAbandoned, ARetryEveryHalfSecondIsAnsweredAtTheFirstOrSecondTry)
{
    const Cut& cut = GetParam();
    Run();
    const pg::Exchange abandoned = AbandonedExchange(cut);
    const size_t stepBytes = abandoned.steps[cut.step].send.size();
    const size_t bytes = cut.bytes == SIZE_MAX ? stepBytes - 2 : cut.bytes;
    ASSERT_TRUE(WhilePg([&] { return Abandon(pty, abandoned, cut.step, bytes); }));

    image.WriteDbWord(1, 0, 0x4321);
    const pg::Exchange read = pg::ReadMemory(0xDF8A, 0xDF8B, Bytes{0x43, 0x21});
    int answeredAt = 0;
    ASSERT_TRUE(WhilePg([&] {
        answeredAt = PlayRetrying(pty, read, 6);
        return true;
    }));
    EXPECT_GE(answeredAt, 1);
    EXPECT_LE(answeredAt, 2);

    for (int mb = 0; mb < 64; ++mb)
        ASSERT_EQ(image.ReadCell(PlcArea::MB, mb), cut.writeApplied ? mb + 1 : 0) << "MB " << mb;
    EXPECT_TRUE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, RunnerAbandoned,
    testing::Values(Cut{"ReadAfterStx", false, pg::kReadFunction, 0, false},
                    Cut{"ReadAfterFunction", false, pg::kReadAckToStx, 0, false},
                    Cut{"ReadHalfAckToStx", false, pg::kReadAckToStx, 1, false},
                    Cut{"ReadAfterSynDleEtx", false, pg::kReadAckAndParameters, 0, false},
                    Cut{"ReadHalfParameters", false, pg::kReadAckAndParameters, 4, false},
                    Cut{"ReadAfterAckStx", false, pg::kReadAckToAckStx, 0, false},
                    Cut{"ReadHalfAckToData", false, pg::kReadAckToData, 1, false},
                    Cut{"ReadAfterStx2", false, pg::kReadAckToStx2, 0, false},
                    Cut{"ReadHalfLastAck", false, pg::kReadLastAck, 1, false},
                    Cut{"WriteAfterFunction", true, pg::kWriteAckToStx, 0, false},
                    Cut{"WriteHalfParameters", true, pg::kWriteAckAndParameters, 35, false},
                    Cut{"WriteWithoutDleEot", true, pg::kWriteAckAndParameters, SIZE_MAX, false},
                    Cut{"WriteHalfAckToAckStx", true, pg::kWriteAckToAckStx, 1, true},
                    Cut{"WriteAfterDc2DleEtx", true, pg::kWriteLastAck, 0, true}),
    [](const testing::TestParamInfo<Cut>& info) { return std::string(info.param.name); });

TEST_F(RunnerFaults, NoiseBetweenExchangesLeavesThemServed)
{
    Run();
    ASSERT_TRUE(Play(pg::WriteMemory(0xEE10, Bytes{0x5A})));
    std::mt19937 random(20261210);
    constexpr int kRounds = 10;
    int answered = 0;
    ASSERT_TRUE(WhilePg([&] {
        for (int round = 0; round < kRounds; ++round) {
            // 100 ms of random bytes, 32 every 5 ms.
            const auto burstEnd = std::chrono::steady_clock::now() + 100ms;
            while (std::chrono::steady_clock::now() < burstEnd) {
                Bytes noise(32);
                for (uint8_t& b : noise)
                    b = static_cast<uint8_t>(random());
                pty.send(noise);
                std::this_thread::sleep_for(5ms);
            }
            std::this_thread::sleep_for(400ms);
            pty.drain(0);
            if (pty.play(pg::ReadMemory(0xEE10, 0xEE10, Bytes{0x5A}), 500))
                ++answered;
        }
        return true;
    }, 60s));
    EXPECT_GE(answered, kRounds * 9 / 10);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 0x10), 0x5A);
    // Afterwards an exchange is served as ever.
    EXPECT_TRUE(WhilePg([&] {
        pty.drain(300);
        return pty.play(pg::ReadMemory(0xEE10, 0xEE10, Bytes{0x5A}), 1000);
    }));
}

TEST_F(RunnerFaults, AParameterTelegramPastTheReceiveBufferIsRefused)
{
    Run();
    const pg::Exchange tooLong = pg::WriteMemory(0xEE00, Counting(1500, 0));
    ASSERT_TRUE(WhilePg([&] {
        return Abandon(pty, tooLong, pg::kWriteAckAndParameters,
                       tooLong.steps[pg::kWriteAckAndParameters].send.size());
    }));
    ASSERT_TRUE(ServeUntil([&] {
        return std::find(host.texts.begin(), host.texts.end(), "Err: 74") != host.texts.end();
    }));
    for (int mb = 0; mb < 256; ++mb)
        ASSERT_EQ(image.ReadCell(PlcArea::MB, mb), 0) << "MB " << mb;
    EXPECT_TRUE(WhilePg([&] {
        pty.drain(300);
        return pty.play(pg::WriteMemory(0xEE00, Bytes{7}), 1000);
    }));
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 0), 7);
}

TEST_F(RunnerFaults, StopAtEveryStepThenRunServesAgain)
{
    const pg::Exchange write = pg::WriteMemory(0xEC00, Bytes{0x12, 0x34});
    for (size_t step = 1; step < write.steps.size(); ++step) {
        Run();
        ASSERT_TRUE(WhilePg([&] { return Abandon(pty, write, step, 0); })) << step;
        runner->EmulationStopExecute();
        ASSERT_FALSE(port.IsOpen());
        ASSERT_TRUE(ServeUntilText("OFF LINE")) << step;
        pty.drain(0);
        Run();
        image.WriteCell(PlcArea::Z, 3, static_cast<int32_t>(step));
        const Bytes counter = {0x00, static_cast<uint8_t>(step)};
        ASSERT_TRUE(Play(pg::ReadMemory(0xED06, 0xED07, counter))) << step;
        runner->EmulationStopExecute();
    }
    EXPECT_EQ(image.ReadCell(PlcArea::T, 0), 0x1234); // the write that got through stays
}

// A device path the test can point at a new pty, as socat's link does.
class RunnerOnALink : public RunnerFaults
{
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/orvane-link-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        m_link = m_folder + "/plc";
        PointAt(pty);
        RunnerFaults::SetUp();
        host.device = m_link;
    }
    void TearDown() override
    {
        RunnerFaults::TearDown();
        unlink(m_link.c_str());
        rmdir(m_folder.c_str());
    }
    void PointAt(const PtyPair& pair)
    {
        const std::string next = m_link + ".next";
        unlink(next.c_str());
        ASSERT_EQ(symlink(pair.slavePath().c_str(), next.c_str()), 0);
        ASSERT_EQ(rename(next.c_str(), m_link.c_str()), 0);
    }
    void RemoveLink() { unlink(m_link.c_str()); }

    // Poll steps made while serving for the given time: a resting worker
    // makes a few dozen a second, a spinning one many thousands.
    long StepsDuring(std::chrono::milliseconds span)
    {
        const long before = steps.load();
        ServeUntil([] { return false; }, span);
        return steps.load() - before;
    }

    std::string m_folder;
    std::string m_link;
};

TEST_F(RunnerOnALink, AHungUpLineShowsNoLineAndIsServedAgainWhenItComesBack)
{
    Run();
    ASSERT_TRUE(Play(pg::WriteMemory(0xEE05, Bytes{0x42})));
    ASSERT_TRUE(ServeUntilText("ON LINE"));

    // The PG's end goes away, and with it the device the link names. (The
    // link goes first: a pty made meanwhile by anybody may get the number
    // of the one that went, and must not be taken for the PG's.)
    RemoveLink();
    pty.closeMaster();
    pty.closeSlave();
    ASSERT_TRUE(ServeUntilText("NO LINE"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(runner->InForce());
    EXPECT_TRUE(runner->LineLost());
    EXPECT_LT(StepsDuring(1500ms), 500);
    EXPECT_EQ(host.texts.back(), "NO LINE");

    // A new PG end appears at the same path: served without the operator.
    PtyPair again;
    ASSERT_TRUE(again.ok());
    PointAt(again);
    ASSERT_TRUE(ServeUntilText("ON LINE"));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(runner->LineLost());
    EXPECT_TRUE(WhilePg([&] { return again.play(pg::ReadMemory(0xEE05, 0xEE05, Bytes{0x42}), 2000); }));
    EXPECT_TRUE(WhilePg([&] { return again.play(pg::WriteMemory(0xEE06, Bytes{0x43}), 2000); }));
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 5), 0x42);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 6), 0x43);
}

TEST_F(RunnerOnALink, AHangUpInTheMiddleOfATransactionEndsItAtOnce)
{
    Run();
    pg::Exchange opening = pg::ReadMemory(0xDF8A, 0xDF8B, Bytes{0x00, 0x00});
    ASSERT_TRUE(WhilePg([&] { return Abandon(pty, opening, pg::kReadAckToAckStx, 0); }));
    const auto start = std::chrono::steady_clock::now();
    RemoveLink();
    pty.closeMaster();
    ASSERT_TRUE(ServeUntilText("NO LINE"));
    // Hang check: well inside the 2 s the transaction would otherwise wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(RunnerOnALink, StopEndsTheRetries)
{
    Run();
    RemoveLink();
    pty.closeMaster();
    ASSERT_TRUE(ServeUntilText("NO LINE"));
    runner->EmulationStopExecute();
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    EXPECT_FALSE(runner->InForce());

    PtyPair again;
    ASSERT_TRUE(again.ok());
    PointAt(again);
    ServeUntil([] { return false; }, 1500ms);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    EXPECT_LT(StepsDuring(500ms), 200);

    // Run is as ever.
    Run();
    EXPECT_TRUE(WhilePg([&] { return again.play(pg::ReadMemory(0xDF8A, 0xDF8B, Bytes{0, 0}), 2000); }));
}

TEST_F(RunnerOnALink, ADeviceThatVanishesIsWaitedForUntilItIsBack)
{
    Run();
    ASSERT_TRUE(Play(pg::WriteMemory(0xEF80, Bytes{0x99})));
    RemoveLink();
    pty.closeMaster();
    ASSERT_TRUE(ServeUntilText("NO LINE"));
    // Gone for a few reopen attempts.
    ServeUntil([] { return false; }, 2500ms);
    EXPECT_EQ(host.texts.back(), "NO LINE");
    EXPECT_EQ(host.openFailures, 0); // the operator is not pestered

    PtyPair again;
    ASSERT_TRUE(again.ok());
    PointAt(again);
    ASSERT_TRUE(ServeUntilText("ON LINE"));
    EXPECT_TRUE(WhilePg([&] { return again.play(pg::ReadMemory(0xEF80, 0xEF80, Bytes{0x99}), 2000); }));
}

} // namespace
