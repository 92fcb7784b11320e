// What the window's refresh tick costs, on the offscreen platform: the time
// RefreshViews takes with an idle image and with all 896 cells changing
// between ticks, the time the visible page then takes to paint, and how
// long a worker's hand-off to the user-interface thread waits while the
// window refreshes and paints with every cell changing (the hand-off of
// every request waits like this).
//
//   bench_refresh [seconds of hand-offs]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "components/qt_dispatcher.h"
#include "core/plc_image.h"
#include "image_changer.h"
#include "ui/form_main.h"
#include "ui/form_value.h"
#include "ui/ini_settings_store.h"
#include "ui/memory_views.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Spread
{
    double median = 0, p99 = 0, max = 0;
};

Spread SpreadOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    auto at = [&](double p) {
        return values[std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5))];
    };
    return {at(0.5), at(0.99), values.back()};
}

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void PrintRow(const char* what, const Spread& s, const char* target, bool met)
{
    std::printf("%-44s %9.4f %9.4f %9.4f   %-14s %s\n", what, s.median, s.p99, s.max, target,
                target[0] ? (met ? "met" : "missed") : "");
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    IniSettingsStore store(settingsDir.filePath(QStringLiteral("orvane.ini")));
    TFormMain window(store);
    window.SetDialogs(new TFormValue(&window), nullptr, nullptr);
    window.show();
    QCoreApplication::processEvents();
    MemoryViews& views = window.views();
    PlcImage& image = window.image();
    const int db = std::max(0, views.dbNumber());
    views.RefreshViews();

    constexpr int kTicks = 300;
    std::vector<double> idle, changing, paint;
    for (int i = 0; i < kTicks; ++i) {
        const auto start = Clock::now();
        views.RefreshViews();
        idle.push_back(MsSince(start));
    }
    const int pages = window.pageControl().count();
    for (int i = 0; i < kTicks; ++i) {
        ChangeEveryCell(image, db, i + 1);
        auto start = Clock::now();
        views.RefreshViews();
        changing.push_back(MsSince(start));
        // Each page in turn is the one on screen.
        window.pageControl().setCurrentIndex(i % pages);
        start = Clock::now();
        window.repaint();
        paint.push_back(MsSince(start));
    }
    window.pageControl().setCurrentIndex(0);

    // A worker handing off to this thread every 0.5 ms while the window's
    // own refresh timer runs and every cell changes between its ticks.
    QtDispatcher dispatcher;
    std::vector<double> waits;
    waits.reserve(static_cast<size_t>(seconds * 3000));
    std::atomic<bool> done{false};
    {
        ImageChanger changer(image, db);
        std::thread worker([&] {
            const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(seconds));
            while (Clock::now() < end) {
                const auto start = Clock::now();
                dispatcher.RunSync([] {});
                waits.push_back(MsSince(start));
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            done = true;
        });
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done)
                loop.quit();
        });
        check.start(50);
        loop.exec();
        worker.join();
    }
    const long over1ms = std::count_if(waits.begin(), waits.end(), [](double w) { return w > 1.0; });

    std::printf("the window's refresh tick, offscreen, %d ticks each\n\n", kTicks);
    std::printf("%-44s %9s %9s %9s   %s\n", "", "median ms", "p99 ms", "max ms", "target");
    const Spread idleSpread = SpreadOf(idle);
    const Spread changingSpread = SpreadOf(changing);
    PrintRow("RefreshViews, idle image", idleSpread, "< 0.1 ms", idleSpread.p99 < 0.1);
    PrintRow("RefreshViews, all 896 cells changing", changingSpread, "< 5 ms",
             changingSpread.p99 < 5.0);
    PrintRow("paint of the page on screen after it", SpreadOf(paint), "", false);
    const Spread waitSpread = SpreadOf(waits);
    PrintRow("hand-off wait during refreshes", waitSpread, "p99 < 1 ms", waitSpread.p99 < 1.0);
    std::printf("\n%zu hand-offs in %.1f s, %ld (%.2f %%) waited longer than 1 ms\n", waits.size(),
                seconds, over1ms, waits.empty() ? 0.0 : 100.0 * over1ms / waits.size());
    return 0;
}
