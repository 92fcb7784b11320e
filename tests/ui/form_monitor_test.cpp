// The monitor window, offscreen: rows and their colours after Take, the
// DEC/HEX choice, Pause, Clear and Save driven with Qt Test clicks, a hidden
// window catching up, following the bottom, a flooding writer, and the
// table model's notifications checked by Qt's model tester.
#include "ui/form_monitor.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "core/exchange_queue.h"
#include "monitor/exchange_records.h"
#include "ui/traffic_table_model.h"

namespace {

using namespace test_records;
using Column = TrafficTableModel::Column;

class FormMonitorTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        form.SetWarningSink([this](const QString& text) { warnings << text; });
        form.SetFileNameSource([this] { return fileName; });
    }
    void showForm()
    {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    template <typename T> T* child(const char* name) { return form.findChild<T*>(name); }
    QString text(int row, Column column, int role = Qt::DisplayRole)
    {
        return model().data(model().index(row, column), role).toString();
    }
    QColor color(int row, Column column, int role)
    {
        return model().data(model().index(row, column), role).value<QBrush>().color();
    }
    QString counters() { return child<QLabel>("Counters")->text(); }
    QAbstractItemModel& model() { return *form.table().model(); }
    void click(const char* name)
    {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    void pushNumbered(int32_t first, int n)
    {
        for (int32_t i = 0; i < n; ++i)
            queue.Push(Numbered(first + i));
    }
    // Pushes and takes n numbered records, no more at a time than the queue holds.
    void takeNumbered(int32_t first, int n)
    {
        const int chunk = static_cast<int>(queue.capacity());
        for (int done = 0; done < n; done += chunk) {
            pushNumbered(first + done, std::min(chunk, n - done));
            form.Take(queue);
        }
    }

    ExchangeQueue queue{4096};
    TFormMonitor form;
    QStringList warnings;
    QString fileName;
};

TEST_F(FormMonitorTest, IsANonModalWindowShowingThePgDevice)
{
    EXPECT_EQ(form.windowTitle(), "Monitor");
    EXPECT_TRUE(form.isWindow());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);
    form.SetPgDevice(QStringLiteral("/tmp/orvane-pg"));
    auto* device = child<QLabel>("PgDevice");
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->text(), "/tmp/orvane-pg");
    EXPECT_TRUE(device->textInteractionFlags() & Qt::TextSelectableByMouse);
    const auto captions = form.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(captions.begin(), captions.end(),
                            [](QLabel* l) { return l->text() == "PG device:"; }));
    EXPECT_EQ(model().headerData(Column::TimeColumn, Qt::Horizontal), "Time");
    EXPECT_EQ(model().headerData(Column::RequestColumn, Qt::Horizontal), "Request");
    EXPECT_EQ(model().headerData(Column::ResultColumn, Qt::Horizontal), "Result");
    EXPECT_EQ(model().headerData(Column::ValuesColumn, Qt::Horizontal), "Values");
}

TEST_F(FormMonitorTest, RowsAppearWithTheirTextsAndColoursAfterTake)
{
    showForm();
    ExchangeRecord write = Served(0x03, "Block Write (MB 3)", kRecordColorWrite, {7, 255}, 8);
    write.timeMs = 1700000000123;
    write.request.backColor = 0x000080; // 0x00BBGGRR: a dark red back
    queue.Push(write);
    queue.Push(Served(0x04, "Block Read  (DB 5, DW 0)", kRecordColorRead, {12}));
    queue.Push(Served(0x1A, "Block Info  (DB 3)", kRecordColorSystem, {}));
    queue.Push(Failed(result::kNoParameters, 0x04));
    form.Take(queue);

    ASSERT_EQ(model().rowCount(), 4);
    EXPECT_EQ(text(0, Column::TimeColumn),
              QDateTime::fromMSecsSinceEpoch(write.timeMs).toString("hh:mm:ss.zzz"));
    EXPECT_EQ(text(0, Column::RequestColumn), "Block Write (MB 3)");
    EXPECT_EQ(text(0, Column::ResultColumn), "0");
    EXPECT_EQ(text(0, Column::ValuesColumn), "7 255");
    EXPECT_EQ(color(0, Column::RequestColumn, Qt::ForegroundRole), QColor(255, 0, 0));
    EXPECT_EQ(color(0, Column::RequestColumn, Qt::BackgroundRole), QColor(128, 0, 0));
    EXPECT_EQ(color(1, Column::RequestColumn, Qt::ForegroundRole), QColor(0, 128, 0));
    EXPECT_EQ(color(1, Column::RequestColumn, Qt::BackgroundRole), QColor(255, 255, 255));
    EXPECT_EQ(color(2, Column::RequestColumn, Qt::ForegroundRole), QColor(0, 0, 255));
    EXPECT_EQ(text(3, Column::RequestColumn), "");
    EXPECT_EQ(text(3, Column::ResultColumn),
              "74: no parameter telegram ending in DLE EOT before the time-out");

    // The back colour is what the cell is painted on.
    QApplication::processEvents();
    const QRect cell = form.table().visualRect(model().index(0, Column::RequestColumn));
    const QImage painted = form.table().viewport()->grab().toImage();
    EXPECT_EQ(painted.pixelColor(cell.right() - 3, cell.center().y()), QColor(128, 0, 0));

    EXPECT_TRUE(counters().contains("Read: 1, Write: 1, System: 0, Info: 1"))
        << counters().toStdString();
    EXPECT_TRUE(counters().contains("Failures: Err 74: 1")) << counters().toStdString();
    EXPECT_TRUE(counters().contains("Received: 31 bytes, Sent: 60 bytes"))
        << counters().toStdString();
}

TEST_F(FormMonitorTest, HexSwitchChangesTheValuesColumn)
{
    showForm();
    queue.Push(Served(0x04, "Block Read  (DB 1, DW 0 - DW 1)", kRecordColorRead, {10, 65535}));
    queue.Push(Served(0x04, "Block Read  (MB 0 - MB 1)", kRecordColorRead, {10, 255}, 8));
    form.Take(queue);
    QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);

    click("Hex");
    EXPECT_TRUE(child<QRadioButton>("Hex")->isChecked());
    EXPECT_EQ(text(0, Column::ValuesColumn), "000A FFFF");
    EXPECT_EQ(text(1, Column::ValuesColumn), "0A FF");
    EXPECT_EQ(changed.count(), 1);

    click("Dec");
    EXPECT_EQ(text(0, Column::ValuesColumn), "10 65535");
    EXPECT_EQ(text(1, Column::ValuesColumn), "10 255");
}

TEST_F(FormMonitorTest, PauseCountsWithoutListingAndClearEmptiesAll)
{
    showForm();
    pushNumbered(1, 3);
    form.Take(queue);

    click("Pause");
    EXPECT_TRUE(child<QPushButton>("Pause")->isChecked());
    EXPECT_TRUE(form.log().paused());
    pushNumbered(4, 2);
    form.Take(queue);
    EXPECT_EQ(model().rowCount(), 3);
    EXPECT_TRUE(counters().contains("Read: 5")) << counters().toStdString();
    EXPECT_TRUE(counters().contains("Not listed: 2")) << counters().toStdString();

    click("Pause");
    EXPECT_FALSE(form.log().paused());
    pushNumbered(6, 1);
    form.Take(queue);
    ASSERT_EQ(model().rowCount(), 4);
    EXPECT_EQ(text(3, Column::ValuesColumn), "6");

    click("Clear");
    EXPECT_EQ(model().rowCount(), 0);
    EXPECT_EQ(counters().toStdString(), CountersText(TrafficCounters{}));
    pushNumbered(7, 2);
    form.Take(queue);
    EXPECT_EQ(model().rowCount(), 2);
    EXPECT_EQ(text(0, Column::ValuesColumn), "7");
}

TEST_F(FormMonitorTest, SaveWritesTheListedRowsInTheChosenNotation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    fileName = dir.filePath("traffic.txt");
    queue.Push(Served(0x04, "Block Read  (DB 5, DW 0 - DW 1)", kRecordColorRead, {26, 300}));
    queue.Push(Failed(result::kNoStx));
    form.Take(queue);
    showForm();
    click("Hex");

    click("Save");
    EXPECT_TRUE(warnings.isEmpty());
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the end of the last
    EXPECT_EQ(lines[2], "");
    const QStringList first = lines[0].split('\t');
    ASSERT_EQ(first.size(), 4);
    EXPECT_EQ(first[0], text(0, Column::TimeColumn));
    EXPECT_EQ(first[1], "Block Read  (DB 5, DW 0 - DW 1)");
    EXPECT_EQ(first[2], "0");
    EXPECT_EQ(first[3], "001A 012C");
    EXPECT_EQ(lines[1].split('\t').mid(1),
              QStringList({"", "11: no STX from the PG before the time-out", ""}));

    // Cancelling the dialog writes nothing.
    file.close();
    ASSERT_TRUE(QFile::remove(fileName));
    fileName.clear();
    click("Save");
    EXPECT_FALSE(QFile::exists(dir.filePath("traffic.txt")));
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(FormMonitorTest, AFailedSaveShowsTheMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    fileName = dir.filePath("no such folder/traffic.txt");
    pushNumbered(1, 2);
    form.Take(queue);
    showForm();

    click("Save");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith("Unable to save " + fileName + ": "))
        << warnings[0].toStdString();
    EXPECT_FALSE(QFile::exists(fileName));
}

TEST_F(FormMonitorTest, AHiddenWindowFillsItsLogAndCatchesUpWhenShown)
{
    pushNumbered(1, 5);
    form.Take(queue);
    EXPECT_EQ(form.log().rows().size(), 5u);
    EXPECT_EQ(model().rowCount(), 0);

    showForm();
    ASSERT_EQ(model().rowCount(), 5);
    EXPECT_EQ(text(4, Column::ValuesColumn), "5");
    EXPECT_TRUE(counters().contains("Read: 5")) << counters().toStdString();
}

TEST_F(FormMonitorTest, FollowsTheBottomOnlyWhileScrolledThere)
{
    showForm();
    QScrollBar* bar = form.table().verticalScrollBar();
    pushNumbered(1, 300);
    form.Take(queue);
    QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    pushNumbered(301, 50);
    form.Take(queue);
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(text(form.table().rowAt(form.table().viewport()->height() - 2), Column::ValuesColumn),
              "350");

    // Scrolled up: new rows do not move the view, and the rows in view stay
    // in view as older ones drop off the top.
    constexpr int kMax = static_cast<int>(TrafficLog::kMaxRows);
    takeNumbered(351, kMax - 350);
    QApplication::processEvents();
    bar->setValue(bar->maximum() / 2);
    QApplication::processEvents();
    const QString top = text(form.table().rowAt(0), Column::ValuesColumn);
    pushNumbered(kMax + 1, 120);
    form.Take(queue);
    QApplication::processEvents();
    EXPECT_LT(bar->value(), bar->maximum());
    EXPECT_EQ(model().rowCount(), kMax);
    EXPECT_EQ(text(form.table().rowAt(0), Column::ValuesColumn), top);
}

TEST_F(FormMonitorTest, AFloodingWriterNeverHoldsTheWindow)
{
    constexpr int kRecords = 100000;
    ExchangeQueue small(128);
    showForm();
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int n = 1; n <= kRecords; ++n)
            small.Push(Numbered(n));
        done = true;
    });
    while (!done.load())
        form.Take(small);
    writer.join();
    form.Take(small);

    EXPECT_GT(small.dropped(), 0u);
    EXPECT_TRUE(counters().contains(QStringLiteral("Dropped: %1,").arg(small.dropped())))
        << counters().toStdString();
    ASSERT_GT(model().rowCount(), 0);
    EXPECT_EQ(text(model().rowCount() - 1, Column::ValuesColumn), QString::number(kRecords));
    EXPECT_EQ(form.log().counters().reads + small.dropped(), uint64_t{kRecords});
}

// The model on its own, under Qt's model tester, which checks every
// notification against the rows before and after it.
class TrafficTableModelTest : public ::testing::Test
{
  protected:
    // The model shows exactly the log's rows, in order.
    void expectSameRows()
    {
        ASSERT_EQ(static_cast<size_t>(model.rowCount()), log.rows().size());
        for (int row = 0; row < model.rowCount(); row += 997)
            EXPECT_EQ(model.data(model.index(row, Column::ValuesColumn)).toString(),
                      QString::fromStdString(ValuesText(log.rows()[row], ValueNotation::Dec)));
        if (model.rowCount() > 0) {
            EXPECT_EQ(model.data(model.index(model.rowCount() - 1, Column::ValuesColumn)),
                      QString::number(log.rows().back().values.at(0)));
        }
    }
    void take(int32_t first, int n)
    {
        for (int32_t i = 0; i < n; ++i)
            queue.Push(Numbered(first + i));
        log.Take(queue);
    }

    ExchangeQueue queue{3 * TrafficLog::kMaxRows};
    TrafficLog log;
    TrafficTableModel model{log};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QSignalSpy removed{&model, &QAbstractItemModel::rowsRemoved};
    QSignalSpy inserted{&model, &QAbstractItemModel::rowsInserted};
    QSignalSpy reset{&model, &QAbstractItemModel::modelReset};
};

TEST_F(TrafficTableModelTest, FollowsTheLogInOneRemovalAndOneInsertion)
{
    constexpr int kMax = static_cast<int>(TrafficLog::kMaxRows);
    EXPECT_EQ(model.Sync(), 0);
    EXPECT_EQ(inserted.count(), 0);

    take(1, kMax - 100);
    EXPECT_EQ(model.Sync(), 0);
    expectSameRows();
    take(kMax - 99, 400); // 300 drop off the front
    EXPECT_EQ(model.Sync(), 300);
    expectSameRows();
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted.last().at(1).toInt(), kMax - 400);
    EXPECT_EQ(inserted.last().at(2).toInt(), kMax - 1);

    // Several Takes before one Sync, more rows gone than the model had.
    take(kMax + 301, kMax);
    take(2 * kMax + 301, 50);
    EXPECT_EQ(model.Sync(), kMax);
    expectSameRows();
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(inserted.count(), 3);

    log.Clear();
    EXPECT_EQ(model.Sync(), kMax);
    EXPECT_EQ(model.rowCount(), 0);
    take(1, 3);
    model.Sync();
    expectSameRows();
    EXPECT_EQ(reset.count(), 0);
}

TEST_F(TrafficTableModelTest, RowsTheLogDroppedBeforeASyncReadEmpty)
{
    take(1, 5);
    model.Sync();
    log.Clear();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_FALSE(model.data(model.index(0, Column::RequestColumn)).isValid());
    model.Sync();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
