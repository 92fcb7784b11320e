// The emulation runner on a real pty for the runner tests: the worker thread
// of the thread component runs the poll step over the serial port, a PG
// thread on the master plays exchanges, and the test's thread stands in for
// the user-interface thread, serving the worker's synchronous calls and
// recording what the status bar would show.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
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
        thread.SetOnExecute([this](TKivThreadControl*) {
            runner->ThreadControlExecute();
            steps.fetch_add(1, std::memory_order_relaxed);
        });
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

    // Runs pg on a PG thread while serving the worker; its answer.
    bool WhilePg(const std::function<bool()>& pg, std::chrono::milliseconds limit = 30000ms)
    {
        std::atomic<bool> finished{false};
        bool ok = false;
        std::thread player([&] {
            ok = pg();
            finished = true;
            dispatcher.Wake();
        });
        ServeUntil([&] { return finished.load(); }, limit);
        player.join();
        return ok;
    }

    // Plays the exchange on the master from a PG thread while serving the
    // worker; true when every reply came as expected.
    bool Play(const pg::Exchange& exchange)
    {
        return WhilePg([&] { return pty.play(exchange, 2000); }, 5000ms);
    }

    void Run()
    {
        runner->EmulationRunExecute();
        ASSERT_TRUE(port.IsOpen()) << host.openFailure << " (" << port.lastErrorText() << ")";
    }

    PtyPair pty;
    PlainDispatcher dispatcher;
    TKivCommPort port;
    CommPortLine line{port};
    PlcImage image;
    RecordingHost host;
    TKivThreadControl thread{dispatcher};
    std::unique_ptr<EmulationRunner> runner;
    // Poll steps made so far, to tell a resting worker from a spinning one.
    std::atomic<long> steps{0};
};

// A receive time-out far beyond the test's patience: only the port's close
// signal can end the worker's wait in time.
class RunnerOnPtyWaitingLong : public RunnerOnPty
{
protected:
    uint32_t ReceiveTimeoutMs() const override { return 60000; }
};

