// Load generator: a PG thread plays AS511 exchanges as fast as they are
// answered over a pseudo-terminal, first against the core alone (runner,
// serial port and worker, with a plain dispatcher standing in for the
// user-interface thread) and then against the real main window on the
// offscreen platform, with the monitor closed and open, and with every
// cell of the image changing on every refresh tick. Prints, per phase,
// complete exchanges per second, the turnaround from each PG transmission
// to the first answer byte, the emulator's CPU (the process's, without the
// PG's thread and the image changer's) and the wire time of the same
// traffic at 9600 and 115200 baud, all side by side.
//
//   bench_load [seconds per phase]
#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "components/kiv_thread_control.h"
#include "components/plain_dispatcher.h"
#include "core/emulation_runner.h"
#include "core/plc_image.h"
#include "core/runner_host.h"
#include "cpu_clock.h"
#include "emulator/emulator.h"
#include "image_changer.h"
#include "load_pg.h"
#include "serial/comm_port_line.h"
#include "serial/kiv_comm_port.h"
#include "support/pg_requests.h"
#include "support/pty_pair.h"
#include "ui/form_main.h"
#include "ui/form_monitor.h"
#include "ui/form_value.h"
#include "ui/ini_settings_store.h"
#include "ui/memory_views.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kDb = 3;
constexpr double kBitsPerByte = 11.0; // start, 8 data, parity, stop

// DB 3 holds 0x0100 + i in word i; the read of all 128 words.
pg::Exchange DbRead(PlcImage& image)
{
    Bytes data;
    for (int i = 0; i < 128; ++i) {
        image.WriteDbWord(kDb, i, 0x0100 + i);
        data.push_back(0x01);
        data.push_back(static_cast<uint8_t>(i));
    }
    const auto start = static_cast<uint16_t>(image.DbEntry(kDb).start);
    return pg::ReadMemory(start, static_cast<uint16_t>(start + 255), data);
}

// The system parameters of an image with its areas at their usual bases.
pg::Exchange SystemParameters()
{
    Bytes payload = {0x00, 0x00, 0x00, 0x00, 0x00, 0xEF, 0x00, 0xEF, 0x80, 0xEE, 0x00, 0xEC, 0x00,
                     0xED, 0x00, 0xEA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00};
    payload.resize(45, 0x00);
    return pg::SystemParameters(payload);
}

// The block information of DB 3 at its usual place.
pg::Exchange BlockInfo()
{
    const Bytes payload = {0x00, 0xDD, 0x8A, 0x70, 0x70, 0x41, 0x03,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x85};
    return pg::BlockInfo(0x01, kDb, payload);
}

struct Load
{
    const char* name;
    std::vector<pg::Exchange> cycle;
    std::vector<bool> dbReads;
};

Load DbReads(PlcImage& image)
{
    return {"DB reads", {DbRead(image)}, {true}};
}

// Reads, writes, system parameters and block information, as a PG's
// status display with an occasional write and a look at the blocks.
Load Mix(PlcImage& image)
{
    Bytes flags(16);
    for (size_t i = 0; i < flags.size(); ++i)
        flags[i] = static_cast<uint8_t>(0x20 + i);
    const pg::Exchange read = DbRead(image);
    return {"mix",
            {read, pg::WriteMemory(0xEE00, flags), read, SystemParameters(), read, BlockInfo()},
            {true, false, true, false, true, false}};
}

struct Figures
{
    std::string phase;
    PgLoadResult pg;
    double emulatorCpuSeconds = 0;
    // Of which the user-interface thread's (the rest is the worker's).
    double uiCpuSeconds = 0;
};

// p (0 to 1) of values sorted ascending.
double Percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return 0;
    return sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * (sorted.size() - 1) + 0.5))];
}

// Runs the load from a PG thread while serve() runs the emulator's
// user-interface side on this thread until done is set; wake() is called
// from the PG thread once it is.
Figures Measure(const std::string& phase, PtyPair& pty, const Load& load, double seconds,
                const std::function<void(const std::atomic<bool>& done)>& serve,
                const std::function<void()>& wake, ImageChanger* changer)
{
    Figures figures;
    figures.phase = phase;
    std::atomic<bool> done{false};
    pty.drain(50);
    const double cpuStart = ProcessCpuSeconds();
    std::thread player([&] {
        figures.pg = PlayLoad(pty.master(), load.cycle, load.dbReads, seconds);
        done = true;
        wake();
    });
    const double uiStart = ThreadCpuSeconds();
    serve(done);
    figures.uiCpuSeconds = ThreadCpuSeconds() - uiStart;
    player.join();
    const double changerCpu = changer ? changer->Stop() : 0;
    figures.emulatorCpuSeconds =
        ProcessCpuSeconds() - cpuStart - figures.pg.cpuSeconds - changerCpu;
    return figures;
}

class QuietHost : public RunnerHost
{
public:
    void SetLinkStatusText(const std::string&) override {}
    void RepaintLamps() override {}
    void ShowOpenFailure(const std::string&) override {}
};

// The core alone: the runner, the serial port and the worker without a
// pause between poll steps, as the window runs them.
std::vector<Figures> CorePhases(PtyPair& pty, double seconds)
{
    PlainDispatcher dispatcher;
    TKivCommPort port;
    CommPortLine line(port);
    PlcImage image;
    QuietHost host;
    TKivThreadControl thread(dispatcher);
    const std::string device = pty.slavePath();
    EmulationRunner runner(
        image, line, host,
        [&] {
            PortParams params;
            params.deviceName = device;
            return params;
        },
        [&] { return thread.Terminated(); },
        [&](const std::function<void()>& call) { thread.SynchronizeMethod(call); });
    thread.SetOnExecute([&](TKivThreadControl*) { runner.ThreadControlExecute(); });
    thread.SetLoopExecute(true);
    thread.SetCreateSuspended(false);
    thread.SetTimeSleep(0);
    runner.EmulationRunExecute();
    if (!port.IsOpen()) {
        std::fprintf(stderr, "cannot open %s\n", device.c_str());
        std::exit(1);
    }
    thread.Create();

    auto serve = [&](const std::atomic<bool>& done) {
        dispatcher.ServeWhile([&] { return !done.load(); });
    };
    auto wake = [&] { dispatcher.Wake(); };
    std::vector<Figures> figures;
    for (const Load& load : {DbReads(image), Mix(image)})
        figures.push_back(
            Measure(std::string("core, ") + load.name, pty, load, seconds, serve, wake, nullptr));
    runner.EmulationStopExecute();
    runner.Wake();
    thread.Destroy();
    return figures;
}

// The program's main window, its emulator on the pty.
std::vector<Figures> WindowPhases(PtyPair& pty, double seconds)
{
    QTemporaryDir settingsDir;
    IniSettingsStore store(settingsDir.filePath(QStringLiteral("orvane.ini")));
    TFormMain window(store);
    window.SetDialogs(new TFormValue(&window), nullptr, nullptr);
    window.SetOpenFailureSink([](const std::string& reason) {
        std::fprintf(stderr, "cannot open the pty: %s\n", reason.c_str());
        std::exit(1);
    });
    PortOverrides overrides;
    overrides.deviceName = pty.slavePath();
    window.emulator().SetOverrides(overrides);
    window.show();
    QCoreApplication::processEvents();
    window.EmulationRunExecute();

    QEventLoop loop;
    auto serve = [&](const std::atomic<bool>& done) {
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done)
                loop.quit();
        });
        check.start(20);
        loop.exec();
    };
    auto wake = [] {};
    PlcImage& image = window.image();
    std::vector<Figures> figures;
    const Load reads = DbReads(image);
    const Load mix = Mix(image);
    figures.push_back(Measure("window, DB reads", pty, reads, seconds, serve, wake, nullptr));
    figures.push_back(Measure("window, mix", pty, mix, seconds, serve, wake, nullptr));
    window.EmulationMonitorExecute();
    figures.push_back(Measure("window+monitor, mix", pty, mix, seconds, serve, wake, nullptr));
    window.monitor().hide();
    {
        ImageChanger changer(image, window.views().dbNumber(), kDb);
        figures.push_back(
            Measure("window, reads, all cells change", pty, reads, seconds, serve, wake, &changer));
    }
    window.EmulationStopExecute();
    window.close();
    return figures;
}

// What the table and the targets show of one phase.
struct Rates
{
    double exchangesPerSecond = 0;
    double dbReadsPerSecond = 0;
    double medianMs = 0, p99Ms = 0, maxMs = 0; // turnaround
    double cpuShare = 0;                       // % of one core
    double cpuPerExchangeUs = 0;
    double uiPerExchangeUs = 0;
    double wire9600Ms = 0, wire115200Ms = 0; // per exchange
    double cpuPerWire = 0;                   // % of the wire time at 115200
};

Rates RatesOf(const Figures& f)
{
    const PgLoadResult& pg = f.pg;
    Rates r;
    r.exchangesPerSecond = static_cast<double>(pg.exchanges) / pg.seconds;
    r.dbReadsPerSecond = static_cast<double>(pg.counted) / pg.seconds;
    std::vector<double> turnaround = pg.turnaroundUs;
    std::sort(turnaround.begin(), turnaround.end());
    r.medianMs = Percentile(turnaround, 0.5) / 1e3;
    r.p99Ms = Percentile(turnaround, 0.99) / 1e3;
    r.maxMs = Percentile(turnaround, 1.0) / 1e3;
    r.cpuShare = 100.0 * f.emulatorCpuSeconds / pg.seconds;
    if (pg.exchanges == 0)
        return r;
    const double exchanges = static_cast<double>(pg.exchanges);
    r.cpuPerExchangeUs = f.emulatorCpuSeconds / exchanges * 1e6;
    r.uiPerExchangeUs = f.uiCpuSeconds / exchanges * 1e6;
    const double wireBits = static_cast<double>(pg.wireBytes) / exchanges * kBitsPerByte;
    r.wire9600Ms = wireBits / 9600.0 * 1e3;
    r.wire115200Ms = wireBits / 115200.0 * 1e3;
    r.cpuPerWire = r.cpuPerExchangeUs / 1e3 / r.wire115200Ms * 100.0;
    return r;
}

void Print(const std::vector<Figures>& all)
{
    std::printf("%-34s %8s %8s %7s %7s %7s %6s %9s %7s %6s %10s %11s %8s %5s\n", "phase", "exch/s",
                "DBread/s", "med ms", "p99 ms", "max ms", "CPU %", "CPU/ex us", "worker", "UI us",
                "wire9600ms", "wire115k ms", "CPU/wire", "fail");
    for (const Figures& f : all) {
        const Rates r = RatesOf(f);
        std::printf("%-34s %8.0f %8.0f %7.3f %7.3f %7.2f %6.1f %9.1f %7.1f %6.1f %10.1f %11.2f %7.2f%% %5ld\n",
                    f.phase.c_str(), r.exchangesPerSecond, r.dbReadsPerSecond, r.medianMs, r.p99Ms,
                    r.maxMs, r.cpuShare, r.cpuPerExchangeUs, r.cpuPerExchangeUs - r.uiPerExchangeUs,
                    r.uiPerExchangeUs, r.wire9600Ms, r.wire115200Ms, r.cpuPerWire, f.pg.failures);
    }
}

// The targets, against the phases that show them.
void PrintTargets(const std::vector<Figures>& all)
{
    std::printf("\ntargets\n");
    for (const Figures& f : all) {
        if (f.phase != "window, DB reads")
            continue;
        const double readsPerSecond = RatesOf(f).dbReadsPerSecond;
        std::printf("  DB reads through the window   %8.0f /s   target >= 2000 /s    %s\n",
                    readsPerSecond, readsPerSecond >= 2000 ? "met" : "missed");
    }
    for (const Figures& f : all) {
        const Rates r = RatesOf(f);
        std::printf("  %-34s p99 %6.3f ms (< 0.3: %s)   CPU/wire at 115200 %5.2f %% (< 1: %s)%s\n",
                    f.phase.c_str(), r.p99Ms, r.p99Ms < 0.3 ? "met" : "missed", r.cpuPerWire,
                    r.cpuPerWire < 1.0 ? "met" : "missed", f.pg.failures ? "   REPLIES FAILED" : "");
    }
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 3.0;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PtyPair pty;
    if (!pty.ok()) {
        std::fprintf(stderr, "no pseudo-terminal pair\n");
        return 1;
    }
    QApplication app(argc, argv);
    std::printf("AS511 load over a pty, %.1f s per phase; turnaround: PG transmission to the "
                "first answer byte; CPU %%: the emulator's, as a share of one core; CPU/ex: the "
                "emulator's CPU per exchange, split into the worker's (all but the user-interface "
                "thread) and the user-interface thread's; CPU/wire: CPU per exchange over its wire "
                "time at 115200 baud\n\n",
                seconds);
    std::vector<Figures> all = CorePhases(pty, seconds);
    const std::vector<Figures> window = WindowPhases(pty, seconds);
    all.insert(all.end(), window.begin(), window.end());
    Print(all);
    PrintTargets(all);
    return 0;
}
