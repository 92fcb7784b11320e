// The program end to end: the real main window on a settings store that
// maps COM1 to a pty, Run from its action, a PG on the pty's master writing
// and reading the image, and the window showing what the PG did: values in
// the grids, the link status, the lamps, and RUN/STOP. The test thread is
// the user-interface thread and keeps its event loop running while the PG
// plays, since every exchange waits for that thread at its hand-off.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "components/kiv_grid.h"
#include "core/emulation_runner.h"
#include "core/plc_image.h"
#include "serial/kiv_comm_port.h"
#include "support/pg_requests.h"
#include "support/pg_device.h"
#include "support/pty_pair.h"
#include "ui/main_window_harness.h"
#include "ui/form_monitor.h"
#include "ui/memory_views.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kWaitMs = 10000;
// DW 9 of DB 5 at the block's default start.
constexpr uint16_t kDb5Dw9 = PlcImage::DefaultDbStart(5) + 18;
constexpr uint16_t kMb10 = 0xEE00 + 10;
constexpr uint16_t kStatusByte = 0xEA00 + PlcImage::kStatusByteOffset;

class FormMainEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        harness.MapPort("COM1", pty.slavePath());
        TFormMain& w = harness.Create();
        w.SetOpenFailureSink([this](const std::string&) { ++openFailures; });
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }

    TFormMain& window() { return harness.window(); }
    QString linkStatus() { return window().statusBar().PanelText(1); }
    QString cell(MemoryViews::Page page, int col, int row)
    {
        return window().views().grid(page)->GetCellText(col, row);
    }
    // What the window's backing store holds, that is what the last repaint
    // put on the screen (not a fresh painting of the flags as they are).
    bool lampsShow(bool read, bool write)
    {
        TKivStatusBar& bar = window().statusBar();
        const QRect panel(bar.mapTo(&window(), bar.PanelRect(2).topLeft()), bar.PanelRect(2).size());
        const QImage shown = window().screen()->grabWindow(window().winId()).toImage().copy(panel);
        return shown.convertToFormat(QImage::Format_RGB32) == ExpectedLampPanel(bar, read, write);
    }
    uint8_t readLamp() { return window().runner().activity().readActivity.load(); }
    uint8_t writeLamp() { return window().runner().activity().writeActivity.load(); }

    // Plays the exchange from a PG thread on the master, running the event
    // loop here meanwhile; true when every reply came exactly as expected.
    bool play(const pg::Exchange& exchange)
    {
        std::atomic<bool> finished{false};
        bool ok = true;
        std::thread player([&] {
            ok = pty.play(exchange, 3000);
            finished = true;
        });
        const bool ended = QTest::qWaitFor([&] { return finished.load(); }, kWaitMs);
        player.join();
        return ended && ok;
    }

    bool waitFor(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, kWaitMs);
    }

    PtyPair pty;
    MainWindowHarness harness;
    int openFailures = 0;
};

TEST_F(FormMainEndToEnd, PgWritesAndReadsWhileTheWindowFollows)
{
    TFormMain& w = window();
    MemoryViews& views = w.views();
    ASSERT_TRUE(waitFor([&] { return linkStatus() == "OFF LINE"; }));
    views.edit(1)->setText("5");

    w.action("EmulationRun")->trigger();
    ASSERT_EQ(openFailures, 0);
    ASSERT_TRUE(w.port().IsOpen());
    EXPECT_EQ(linkStatus(), "ON LINE");
    EXPECT_FALSE(w.action("EmulationRun")->isEnabled());
    EXPECT_TRUE(w.action("EmulationStop")->isEnabled());

    // A write with the read lamp dark keeps the write lamp lit.
    const Bytes word = {0x12, 0x34};
    ASSERT_TRUE(play(pg::WriteMemory(kDb5Dw9, word)));
    EXPECT_EQ(w.image().ReadDbWord(5, 9), 0x1234);
    EXPECT_TRUE(waitFor([&] { return cell(MemoryViews::DataBlockPage, 1, 10) == "4660"; }));
    EXPECT_EQ(cell(MemoryViews::DataBlockPage, 2, 10), "1234");
    EXPECT_EQ(cell(MemoryViews::DataBlockPage, 4, 10), "00010010 00110100");
    EXPECT_TRUE(waitFor([&] { return lampsShow(false, true); }));
    EXPECT_EQ(writeLamp(), 1);
    EXPECT_EQ(PaintedLamps(w.statusBar()).write, kWriteLit);

    const Bytes flags = {0x01, 0x80, 0x45, 0xA5};
    ASSERT_TRUE(play(pg::WriteMemory(kMb10, flags)));
    EXPECT_TRUE(waitFor([&] { return cell(MemoryViews::MerkerPage, 1, 14) == "165"; }));
    const QStringList shown = {cell(MemoryViews::MerkerPage, 1, 11), cell(MemoryViews::MerkerPage, 1, 12),
                               cell(MemoryViews::MerkerPage, 1, 13), cell(MemoryViews::MerkerPage, 3, 14)};
    EXPECT_EQ(shown, (QStringList{"1", "128", "69", "--"}));
    EXPECT_EQ(w.image().ReadCell(PlcArea::MB, 9), 0);
    EXPECT_EQ(w.image().ReadCell(PlcArea::MB, 14), 0);

    // Reading them back: the replies are compared byte for byte. The read
    // lamp lights and the write lamp goes out.
    ASSERT_TRUE(play(pg::ReadMemory(kDb5Dw9, kDb5Dw9 + 1, word)));
    ASSERT_TRUE(play(pg::ReadMemory(kMb10, kMb10 + 3, flags)));
    EXPECT_TRUE(waitFor([&] { return readLamp() == 1 && writeLamp() == 0; }));
    EXPECT_TRUE(waitFor([&] { return lampsShow(true, false); }));
    EXPECT_EQ(PaintedLamps(w.statusBar()).read, kReadLit);
    EXPECT_EQ(linkStatus(), "ON LINE");

    // The PG stops the controller through its status byte.
    w.pageControl().setCurrentIndex(MemoryViews::SystemPage);
    EXPECT_EQ(views.comboBox(2)->currentText(), "RUN");
    ASSERT_TRUE(play(pg::WriteMemory(kStatusByte, Bytes{0x48})));
    EXPECT_TRUE(waitFor([&] { return views.comboBox(2)->currentText() == "STOP"; }));
    EXPECT_EQ(views.comboBox(3)->currentText(), "OK");
    EXPECT_FALSE(w.image().IsRunning());
    // The read lamp still wins.
    EXPECT_TRUE(waitFor([&] { return readLamp() == 1 && writeLamp() == 0; }));

    // The operator's edit reaches the PG's next read.
    w.image().WriteDbWord(5, 9, 0xBEEF);
    ASSERT_TRUE(play(pg::ReadMemory(kDb5Dw9, kDb5Dw9 + 1, Bytes{0xBE, 0xEF})));
    EXPECT_TRUE(waitFor([&] { return cell(MemoryViews::DataBlockPage, 1, 10) == "48879"; }));

    w.action("EmulationStop")->trigger();
    EXPECT_FALSE(w.port().IsOpen());
    EXPECT_EQ(linkStatus(), "OFF LINE");
    EXPECT_TRUE(w.action("EmulationRun")->isEnabled());
    EXPECT_TRUE(waitFor([&] { return readLamp() == 0 && writeLamp() == 0; }));
    EXPECT_TRUE(waitFor([&] { return lampsShow(false, false); }));
    QTest::qWait(200);
    EXPECT_EQ(linkStatus(), "OFF LINE");

    // Closing stops the worker and returns.
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
}

// A PG that breaks off mid-exchange: the status shows the failing step and
// comes back to "ON LINE"; the window stays usable and closes while open.
TEST_F(FormMainEndToEnd, FailedExchangeIsShownAndTheLinkRecovers)
{
    TFormMain& w = window();
    w.action("EmulationRun")->trigger();
    ASSERT_TRUE(w.port().IsOpen());

    pg::Exchange broken = pg::ReadMemory(kMb10, kMb10 + 1, Bytes{0, 0});
    broken.steps.resize(pg::kReadAckToStx + 1);
    ASSERT_TRUE(play(broken));
    EXPECT_TRUE(waitFor([&] { return linkStatus().startsWith("Err: "); }))
        << linkStatus().toStdString();
    EXPECT_TRUE(waitFor([&] { return linkStatus() == "ON LINE"; }));

    ASSERT_TRUE(play(pg::ReadMemory(kMb10, kMb10 + 1, Bytes{0, 0})));
    EXPECT_TRUE(waitFor([&] { return readLamp() == 1; }));
    // Closing with the port open.
    EXPECT_TRUE(w.close());
}

// Closing the window while the worker waits for this thread at its
// hand-off: the close serves the hand-off while it waits for the worker,
// so the PG still gets its data and the close returns.
TEST_F(FormMainEndToEnd, ClosingServesAWorkerWaitingAtItsHandOff)
{
    TFormMain& w = window();
    w.image().WriteDbWord(5, 9, 0x1234);
    w.action("EmulationRun")->trigger();
    ASSERT_TRUE(w.port().IsOpen());
    QTest::qWait(100);

    // The PG plays on this thread, which runs no events meanwhile: the
    // exchange goes as far as the hand-off before the data telegram.
    const pg::Exchange read = pg::ReadMemory(kDb5Dw9, kDb5Dw9 + 1, Bytes{0x12, 0x34});
    for (size_t i = 0; i < pg::kReadAckToAckStx; ++i) {
        const pg::Step& step = read.steps[i];
        ASSERT_TRUE(pty.send(step.send)) << i;
        ASSERT_EQ(pty.receive(step.reply.size(), 3000), step.reply) << i;
    }
    const pg::Step& beforeData = read.steps[pg::kReadAckToAckStx];
    ASSERT_TRUE(pty.send(beforeData.send));
    EXPECT_TRUE(pty.receive(beforeData.reply.size(), 200).empty());

    EXPECT_TRUE(w.close());
    EXPECT_EQ(pty.receive(beforeData.reply.size(), 3000), beforeData.reply);
}

} // namespace

namespace {

TEST_F(FormMainEndToEnd, TheMonitorListsWhatThePgDidWithItsCounters)
{
    TFormMain& w = window();
    QStringList emulation;
    for (QAction* menu : w.menuBar()->actions())
        if (menu->text() == "E&mulation")
            for (QAction* item : menu->menu()->actions())
                emulation << item->text();
    EXPECT_EQ(emulation, (QStringList{"Run", "Stop", "", "Configure", "Default", "Monitor"}));
    EXPECT_EQ(w.action("EmulationMonitor")->toolTip(), "Show AS511 traffic");
    EXPECT_EQ(w.action("EmulationMonitor")->statusTip(), "Show the requests served on the serial line");
    w.action("EmulationMonitor")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.monitor()));
    EXPECT_EQ(w.monitor().windowTitle(), "Monitor");
    EXPECT_FALSE(w.monitor().isModal());

    w.action("EmulationRun")->trigger();
    ASSERT_TRUE(waitFor([&] { return linkStatus() == "ON LINE"; }));
    const Bytes data = {0x12, 0x34};
    ASSERT_TRUE(play(pg::WriteMemory(kDb5Dw9, data)));
    ASSERT_TRUE(play(pg::ReadMemory(kDb5Dw9, kDb5Dw9 + 1, data)));
    pg::Exchange broken = pg::ReadMemory(kMb10, kMb10, Bytes{0});
    broken.steps.resize(pg::kReadAckToStx + 1);
    ASSERT_TRUE(play(broken));
    pty.send({0x10, 0x06}); // then silence: no parameter telegram
    ASSERT_TRUE(waitFor([&] { return w.monitor().log().rows().size() == 3; }))
        << w.monitor().log().rows().size();
    const auto& rows = w.monitor().log().rows();
    EXPECT_EQ(rows[0].description, "Block Write (DB 5, DW 9)");
    EXPECT_EQ(rows[0].values, std::vector<int32_t>{0x1234});
    EXPECT_EQ(rows[1].description, "Block Read  (DB 5, DW 9)");
    EXPECT_EQ(rows[2].result, 74);
    const TrafficCounters& counters = w.monitor().log().counters();
    EXPECT_EQ(counters.writes, 1u);
    EXPECT_EQ(counters.reads, 1u);
    EXPECT_EQ(counters.failures.at(74), 1u);
    EXPECT_EQ(counters.dropped, 0u);
    EXPECT_GT(counters.bytesReceived, 0u);
    EXPECT_GT(counters.bytesSent, 0u);
}

TEST_F(FormMainEndToEnd, AHungUpLineShowsNoLineUntilStop)
{
    TFormMain& w = window();
    w.action("EmulationRun")->trigger();
    ASSERT_TRUE(waitFor([&] { return linkStatus() == "ON LINE"; }));
    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return linkStatus() == "NO LINE"; }));
    EXPECT_FALSE(w.port().IsOpen());
    // Run stays in force while the line is reopened: Stop ends it.
    ASSERT_TRUE(waitFor([&] { return w.action("EmulationStop")->isEnabled(); }));
    EXPECT_FALSE(w.action("EmulationRun")->isEnabled());
    w.action("EmulationStop")->trigger();
    EXPECT_EQ(linkStatus(), "OFF LINE");
    ASSERT_TRUE(waitFor([&] { return w.action("EmulationRun")->isEnabled(); }));
    EXPECT_FALSE(w.action("EmulationStop")->isEnabled());
    EXPECT_FALSE(w.runner().InForce());
}

// The window on a COM port mapped to the built-in virtual port: the PG opens
// the published link with line settings of its own, goes away and comes
// back between exchanges, and Stop takes the link away.
TEST(FormMainVirtualPort, APgOnThePublishedLinkIsServedAcrossReopens)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const std::string link = runtime.filePath(QStringLiteral("orvane/COM1")).toStdString();
    MainWindowHarness harness;
    harness.MapPort("COM1", "pty");
    TFormMain& w = harness.Create();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.action("EmulationRun")->statusTip().toStdString(),
              "Run Emulation (virtual port: the PG opens " + link + ")");

    w.action("EmulationRun")->trigger();
    ASSERT_TRUE(w.port().IsOpen()) << w.port().lastErrorText();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.statusBar().PanelText(1) == "ON LINE"; }, kWaitMs));
    w.image().WriteCell(PlcArea::EB, 4, 0x44);
    for (int session = 0; session < 3; ++session) {
        std::atomic<bool> finished{false};
        bool served = false;
        std::thread pgThread([&] {
            PgDevice pg(link, session == 1 ? 9600 : 19200, session == 2 ? 'O' : 'E');
            served = pg.ok() && pg.play(pg::ReadMemory(0xEF04, 0xEF04, Bytes{0x44}), 3000) &&
                     pg.play(pg::WriteMemory(0xEF85, Bytes{static_cast<uint8_t>(session)}), 3000);
            finished = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, kWaitMs));
        pgThread.join();
        EXPECT_TRUE(served) << "session " << session;
        EXPECT_EQ(w.image().ReadCell(PlcArea::AB, 5), session);
    }
    EXPECT_EQ(w.statusBar().PanelText(1), "ON LINE");
    w.action("EmulationStop")->trigger();
    EXPECT_FALSE(w.port().IsOpen());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(link)));
    EXPECT_FALSE(QFileInfo(QString::fromStdString(link)).isSymLink());
    w.close();
}

} // namespace
