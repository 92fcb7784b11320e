// CPU the worker thread spends while the port is open and the line idle:
// the poll step asks the port for waiting bytes and sleeps 1 ms, over and
// over. Runs the real runner, thread component and serial port on a pty
// for a few seconds and prints the worker's CPU time as a share of one core.
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
    void ShowOpenFailure() override {}
    PortParams LoadPortParams() override
    {
        PortParams params;
        params.deviceName = device;
        return params;
    }
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
        image, line, host, [&] { return thread.Terminated(); },
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
    thread.SetTimeSleep(1);

    runner.EmulationRunExecute();
    if (!port.IsOpen()) {
        std::fprintf(stderr, "cannot open %s\n", host.device.c_str());
        return 1;
    }
    thread.Create();
    // Let the first steps (status hand-over) pass before measuring.
    const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    dispatcher.ServeWhile([&] { return std::chrono::steady_clock::now() < settle; });

    const double cpuStart = workerCpuMs.load();
    const long stepsStart = steps.load();
    const auto wallStart = std::chrono::steady_clock::now();
    const auto end = wallStart + std::chrono::seconds(seconds);
    dispatcher.ServeWhile([&] { return std::chrono::steady_clock::now() < end; });
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
            .count();
    const double cpuMs = workerCpuMs.load() - cpuStart;
    const long stepCount = steps.load() - stepsStart;
    thread.Destroy();
    runner.EmulationStopExecute();

    const double share = 100.0 * cpuMs / wallMs;
    std::printf("worker idle on an open port, %d s\n", seconds);
    std::printf("%-28s %10.1f ms\n", "wall time", wallMs);
    std::printf("%-28s %10.2f ms\n", "worker CPU time", cpuMs);
    std::printf("%-28s %10ld (%.0f per second)\n", "poll steps", stepCount,
                stepCount * 1000.0 / wallMs);
    std::printf("%-28s %10.2f us\n", "CPU per poll step", stepCount ? cpuMs * 1000.0 / stepCount : 0);
    std::printf("%-28s %10.3f %%   (target below 1 %%, %s)\n", "share of one core", share,
                share < 1.0 ? "met" : "missed");
    return 0;
}
