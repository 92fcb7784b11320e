// CPU the worker thread spends while nothing is served: with the port open
// and the line idle (the poll step waits on the line), and with the port
// closed (it rests). The worker runs without a pause between poll steps,
// as the program runs it. Runs the real runner, thread component and serial
// port on a pty for a few seconds each and prints the worker's CPU time as
// a share of one core.
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "components/kiv_thread_control.h"
#include "components/plain_dispatcher.h"
#include "core/emulation_runner.h"
#include "core/plc_image.h"
#include "core/runner_host.h"
#include "serial/comm_port_line.h"
#include "serial/kiv_comm_port.h"
#include "support/pty_pair.h"

namespace {

class QuietHost : public RunnerHost
{
public:
    std::string device;
    void SetLinkStatusText(const std::string&) override {}
    void RepaintLamps() override {}
    void ShowOpenFailure(const std::string&) override {}
};

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    PtyPair pty;
    if (!pty.ok()) {
        std::fprintf(stderr, "no pseudo-terminal pair\n");
        return 1;
    }
    PlainDispatcher dispatcher;
    TKivCommPort port;
    CommPortLine line(port);
    PlcImage image;
    QuietHost host;
    host.device = pty.slavePath();
    TKivThreadControl thread(dispatcher);
    EmulationRunner runner(
        image, line, host,
        [&] {
            PortParams params;
            params.deviceName = host.device;
            return params;
        },
        [&] { return thread.Terminated(); },
        [&](const std::function<void()>& call) { thread.SynchronizeMethod(call); });

    std::atomic<long> steps{0};
    std::atomic<double> workerCpuMs{0};
    thread.SetOnExecute([&](TKivThreadControl*) {
        runner.ThreadControlExecute();
        steps.fetch_add(1, std::memory_order_relaxed);
        workerCpuMs.store(ThreadCpuMs(), std::memory_order_relaxed);
    });
    thread.SetLoopExecute(true);
    thread.SetCreateSuspended(false);
    thread.SetTimeSleep(0);

    runner.EmulationRunExecute();
    if (!port.IsOpen()) {
        std::fprintf(stderr, "cannot open %s\n", host.device.c_str());
        return 1;
    }
    thread.Create();

    struct Phase
    {
        double wallMs = 0;
        double cpuMs = 0;
        long steps = 0;
    };
    auto measure = [&] {
        // Let the first steps (status hand-over) pass before measuring.
        const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        dispatcher.ServeWhile([&] { return std::chrono::steady_clock::now() < settle; });
        const double cpuStart = workerCpuMs.load();
        const long stepsStart = steps.load();
        const auto wallStart = std::chrono::steady_clock::now();
        const auto end = wallStart + std::chrono::seconds(seconds);
        dispatcher.ServeWhile([&] { return std::chrono::steady_clock::now() < end; });
        Phase phase;
        phase.wallMs = std::chrono::duration<double, std::milli>(
                           std::chrono::steady_clock::now() - wallStart)
                           .count();
        phase.cpuMs = workerCpuMs.load() - cpuStart;
        phase.steps = steps.load() - stepsStart;
        return phase;
    };
    const Phase open = measure();
    runner.EmulationStopExecute();
    const Phase closed = measure();
    runner.Wake();
    thread.Destroy();

    std::printf("worker with nothing to serve, %d s per phase, no pause between poll steps\n",
                seconds);
    std::printf("%-26s %14s %14s\n", "", "port open", "port closed");
    std::printf("%-26s %11.1f ms %11.1f ms\n", "wall time", open.wallMs, closed.wallMs);
    std::printf("%-26s %11.2f ms %11.2f ms\n", "worker CPU time", open.cpuMs, closed.cpuMs);
    std::printf("%-26s %11.0f /s %11.0f /s\n", "poll steps", open.steps * 1000.0 / open.wallMs,
                closed.steps * 1000.0 / closed.wallMs);
    auto perStep = [](const Phase& p) { return p.steps ? p.cpuMs * 1000.0 / p.steps : 0.0; };
    std::printf("%-26s %11.2f us %11.2f us\n", "CPU per poll step", perStep(open),
                perStep(closed));
    const double openShare = 100.0 * open.cpuMs / open.wallMs;
    const double closedShare = 100.0 * closed.cpuMs / closed.wallMs;
    std::printf("%-26s %12.3f %% %12.3f %%   (target below 1 %% each: %s)\n",
                "share of one core", openShare, closedShare,
                openShare < 1.0 && closedShare < 1.0 ? "met" : "missed");
    return 0;
}
