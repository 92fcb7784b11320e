// The emulation runner end to end on a real pty: the worker thread of the
// thread component runs the poll step over the serial port, a PG thread on
// the master plays complete exchanges, and this thread stands in for the
// user-interface thread, serving the worker's synchronous calls and
// recording what the status bar would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "components/kiv_thread_control.h"
#include "components/plain_dispatcher.h"
#include "core/emulation_runner.h"
#include "core/plc_image.h"
#include "core/runner_host.h"
#include "serial/comm_port_line.h"
#include "serial/kiv_comm_port.h"
#include "support/pg_requests.h"
#include "support/pty_pair.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

struct Lamps
{
    bool read;
    bool write;
    bool operator==(const Lamps&) const = default;
};

// Records what the window would show; called on the "user-interface" thread.
class RecordingHost : public RunnerHost
{
public:
    const ActivityFlags* activity = nullptr;
    std::string device;
    std::vector<std::string> texts;
    std::vector<Lamps> repaints;
    int openFailures = 0;
    std::string openFailure;

    void SetLinkStatusText(const std::string& text) override { texts.push_back(text); }
    void RepaintLamps() override
    {
        repaints.push_back({activity->readActivity.load() != 0, activity->writeActivity.load() != 0});
    }
    void ShowOpenFailure(const std::string& reason) override
    {
        ++openFailures;
        openFailure = reason;
    }
    PortParams LoadPortParams() const
    {
        PortParams params;
        params.deviceName = device;
        return params;
    }
};

class RunnerOnPty : public ::testing::Test
{
protected:
    // Short, so that a PG that goes silent fails its step quickly.
    virtual uint32_t ReceiveTimeoutMs() const { return 300; }

    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        host.device = pty.slavePath();
        runner = std::make_unique<EmulationRunner>(
            image, line, host, [this] { return host.LoadPortParams(); },
            [this] { return thread.Terminated(); },
            [this](const std::function<void()>& call) { thread.SynchronizeMethod(call); },
            ReceiveTimeoutMs());
        host.activity = &runner->activity();
        thread.SetOnExecute([this](TKivThreadControl*) { runner->ThreadControlExecute(); });
        thread.SetLoopExecute(true);
        thread.SetCreateSuspended(false);
        thread.SetTimeSleep(0);
        ASSERT_TRUE(thread.Create());
    }

    void TearDown() override
    {
        runner->Wake();
        thread.Destroy();
        port.Close();
    }

    // Serves the worker until the condition holds or the time is up.
    bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3000ms)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        dispatcher.ServeWhile(
            [&] { return !done() && std::chrono::steady_clock::now() < deadline; });
        return done();
    }

    bool ServeUntilText(const std::string& text)
    {
        return ServeUntil([&] { return !host.texts.empty() && host.texts.back() == text; });
    }

    // Plays the exchange on the master from a PG thread while serving the
    // worker; true when every reply came as expected.
    bool Play(const pg::Exchange& exchange)
    {
        std::atomic<bool> finished{false};
        bool ok = true;
        std::thread player([&] {
            ok = pty.play(exchange, 2000);
            finished = true;
            dispatcher.Wake();
        });
        ServeUntil([&] { return finished.load(); }, 5000ms);
        player.join();
        return ok;
    }

    void Run()
    {
        runner->EmulationRunExecute();
        ASSERT_TRUE(port.IsOpen());
    }

    PtyPair pty;
    PlainDispatcher dispatcher;
    TKivCommPort port;
    CommPortLine line{port};
    PlcImage image;
    RecordingHost host;
    TKivThreadControl thread{dispatcher};
    std::unique_ptr<EmulationRunner> runner;
};

// A receive time-out far beyond the test's patience: only the port's close
// signal can end the worker's wait in time.
class RunnerOnPtyWaitingLong : public RunnerOnPty
{
protected:
    uint32_t ReceiveTimeoutMs() const override { return 60000; }
};

const Bytes kDb1Word0 = {0x00, 0x00};

TEST_F(RunnerOnPty, StatusTextFollowsTheTraffic)
{
    ASSERT_TRUE(ServeUntilText("OFF LINE"));
    Run();
    EXPECT_EQ(host.texts.back(), "ON LINE");

    // A PG that stops before its parameter telegram: step 8 times out.
    pg::Exchange broken = pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0);
    broken.steps.resize(pg::kReadAckToStx + 1);
    broken.steps.back().reply = {0x16, 0x10, 0x03};
    ASSERT_TRUE(Play(broken));
    pty.send({0x10, 0x06});
    ASSERT_TRUE(ServeUntilText("Err: 74"));
    ASSERT_TRUE(ServeUntilText("ON LINE"));

    // Bytes without STX.
    pty.send({0x55});
    ASSERT_TRUE(ServeUntilText("WAIT"));
    ASSERT_TRUE(ServeUntilText("ON LINE"));

    // A complete exchange keeps it on line.
    image.WriteDbWord(1, 0, 0x1234);
    const Bytes word = {0x12, 0x34};
    EXPECT_TRUE(Play(pg::ReadMemory(0xDF8A, 0xDF8B, word)));
    ServeUntil([] { return false; }, 50ms);
    EXPECT_EQ(host.texts.back(), "ON LINE");
    EXPECT_EQ(runner->statusText(), "ON LINE");

    runner->EmulationStopExecute();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    ServeUntil([] { return false; }, 50ms);
    EXPECT_EQ(host.texts.back(), "OFF LINE");
}

TEST_F(RunnerOnPty, WriteAfterReadLightsTheWriteLampForOneStep)
{
    Run();
    const Bytes data = {0xAB, 0xCD};
    ASSERT_TRUE(Play(pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0)));
    ASSERT_TRUE(ServeUntil([&] { return !host.repaints.empty(); }));
    ASSERT_TRUE(Play(pg::WriteMemory(0xDF8A, data)));
    ASSERT_TRUE(ServeUntil([&] { return host.repaints.size() >= 3; }));
    ServeUntil([] { return false; }, 50ms);
    const std::vector<Lamps> expected = {{true, false}, {true, true}, {true, false}};
    EXPECT_EQ(host.repaints, expected);
    EXPECT_EQ(image.ReadDbWord(1, 0), 0xABCD);
}

TEST_F(RunnerOnPty, WriteWithTheReadLampDarkStaysLit)
{
    Run();
    const Bytes data = {0x00, 0x07};
    ASSERT_TRUE(Play(pg::WriteMemory(0xEC00, data)));
    ASSERT_TRUE(ServeUntil([&] { return !host.repaints.empty(); }));
    ServeUntil([] { return false; }, 100ms);
    const std::vector<Lamps> lit = {{false, true}};
    EXPECT_EQ(host.repaints, lit);
    EXPECT_EQ(image.ReadCell(PlcArea::T, 0), 7);

    // Stop puts it out at the next poll step.
    runner->EmulationStopExecute();
    ASSERT_TRUE(ServeUntil([&] { return host.repaints.size() == 2; }));
    EXPECT_EQ(host.repaints.back(), (Lamps{false, false}));
}

TEST_F(RunnerOnPty, RunForAMissingDeviceReportsAndStaysOffLine)
{
    ASSERT_TRUE(ServeUntilText("OFF LINE"));
    host.device = "/dev/orvane-no-such-device";
    runner->EmulationRunExecute();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(host.openFailures, 1);
    EXPECT_EQ(host.openFailure, "/dev/orvane-no-such-device: no such device");
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    EXPECT_FALSE(runner->InForce());
}

TEST_F(RunnerOnPty, RunWhileOpenOnlySetsOnLine)
{
    Run();
    const size_t texts = host.texts.size();
    runner->EmulationRunExecute();
    EXPECT_EQ(host.openFailures, 0);
    EXPECT_TRUE(port.IsOpen());
    ASSERT_EQ(host.texts.size(), texts + 1);
    EXPECT_EQ(host.texts.back(), "ON LINE");
}

TEST_F(RunnerOnPtyWaitingLong, StopInTheMiddleOfATransactionEndsTheWaitAtOnce)
{
    Run();
    // The PG opens a read and goes silent before acknowledging SYN DLE ETX.
    pg::Exchange opening = pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0);
    opening.steps.resize(pg::kReadAckToStx + 1);
    ASSERT_TRUE(Play(opening));

    runner->EmulationStopExecute();
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    ASSERT_TRUE(ServeUntil([&] {
        return host.texts.size() >= 2 && host.texts[host.texts.size() - 2].rfind("Err: ", 0) == 0 &&
               host.texts.back() == "OFF LINE";
    }));
    EXPECT_NE(std::find(host.texts.begin(), host.texts.end(), "Err: 62"), host.texts.end());
}

TEST_F(RunnerOnPty, DestroyWhileATransactionWaitsForThePg)
{
    Run();
    pg::Exchange opening = pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0);
    opening.steps.resize(pg::kReadFunction + 1);
    ASSERT_TRUE(Play(opening));
    EXPECT_TRUE(thread.Destroy());
    EXPECT_FALSE(thread.Created());
    EXPECT_TRUE(port.IsOpen());
}

} // namespace
