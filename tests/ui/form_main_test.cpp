// The main window offscreen: its first showing, the enabling of the
// commands by the port's state, the lamps in the status bar, hints and tool
// tips, the placement kept between runs, and the grids opening Modify.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include "components/kiv_grid.h"
#include "core/emulation_runner.h"
#include "core/plc_image.h"
#include "serial/kiv_comm_port.h"
#include "serial/settings_keys.h"
#include "support/pty_pair.h"
#include "ui/main_window_harness.h"
#include "ui/image_commands.h"
#include "ui/memory_views.h"
#include "ui/window_placement.h"

namespace {

class FormMainTest : public ::testing::Test
{
protected:
    void showWindow(TFormMain& w)
    {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }

    bool enabled(const char* name) { return harness.window().action(name)->isEnabled(); }
    QString linkStatus() { return harness.window().statusBar().PanelText(1); }

    std::optional<WindowPlacement> storedPlacement()
    {
        const auto key = harness.store().OpenKey(
            settings_keys::WindowPlacementKey(harness.window().exeBaseName().toStdString()), false);
        if (!key)
            return std::nullopt;
        const auto bytes = key->ReadBinary(settings_keys::kWindowPlacement);
        return bytes ? UnpackWindowPlacement(*bytes) : std::nullopt;
    }

    MainWindowHarness harness;
};

TEST_F(FormMainTest, FirstStartShowsTheDesignedWindowOnTheDataBlockPage)
{
    TFormMain& w = harness.Create();
    showWindow(w);
    EXPECT_EQ(w.windowTitle(), "Orvane");
    EXPECT_EQ(w.size(), QSize(794, 565));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(w.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(w.frameGeometry().center().y() - screen.center().y()), 1);

    QTabWidget& pages = w.pageControl();
    ASSERT_EQ(pages.count(), 7);
    const QStringList names = {"Data Block", "Timer", "Counter", "Merker", "Input", "Output", "System"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(pages.tabText(i), names[i]);
    EXPECT_EQ(pages.currentIndex(), 0);

    // The showing fills the page from DB 1 and the address fields from the bases.
    EXPECT_EQ(w.views().edit(1)->text(), "1");
    EXPECT_EQ(w.views().edit(2)->text(), "57226");
    EXPECT_EQ(w.views().edit(3)->text(), "60416");
    EXPECT_EQ(w.views().grid(MemoryViews::DataBlockPage)->GetCellText(0, 0), "DWord");
    // The worker runs from the showing and reports the closed port.
    EXPECT_TRUE(QTest::qWaitFor([&] { return linkStatus() == "OFF LINE"; }, 5000));
    // No placement was stored: the store is left as it was.
    EXPECT_FALSE(storedPlacement());
}

TEST_F(FormMainTest, RunAndStopAreEnabledByThePortsState)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    harness.MapPort("COM1", pty.slavePath());
    TFormMain& w = harness.Create();
    for (const char* name : {"EditModify", "EditClear", "EmulationRun", "EmulationStop",
                             "EmulationConfigure", "EmulationDefault", "HelpHelp", "HelpAbout"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(enabled("FileExit"));

    showWindow(w);
    const char* const always[] = {"EditModify", "EditClear", "EmulationConfigure",
                                  "EmulationDefault", "HelpHelp", "HelpAbout", "FileExit"};
    auto expectClosed = [&] {
        EXPECT_FALSE(w.port().IsOpen());
        EXPECT_TRUE(enabled("EmulationRun"));
        EXPECT_FALSE(enabled("EmulationStop"));
        for (const char* name : always)
            EXPECT_TRUE(enabled(name)) << name;
    };
    expectClosed();

    w.action("EmulationRun")->trigger();
    ASSERT_TRUE(w.port().IsOpen());
    EXPECT_EQ(w.port().deviceName(), "COM1");
    EXPECT_FALSE(enabled("EmulationRun"));
    EXPECT_TRUE(enabled("EmulationStop"));
    for (const char* name : always)
        EXPECT_TRUE(enabled(name)) << name;
    EXPECT_EQ(linkStatus(), "ON LINE");
    // The timer's enabling keeps it so.
    QTest::qWait(250);
    EXPECT_FALSE(enabled("EmulationRun"));
    EXPECT_EQ(linkStatus(), "ON LINE");

    w.action("EmulationStop")->trigger();
    EXPECT_EQ(linkStatus(), "OFF LINE");
    expectClosed();
    w.close();
}

TEST_F(FormMainTest, RunOnAMissingDeviceReportsAndStaysOffLine)
{
    harness.MapPort("COM1", "/nonexistent/orvane-tty");
    TFormMain& w = harness.Create();
    int failures = 0;
    std::string reason;
    w.SetOpenFailureSink([&](const std::string& why) {
        ++failures;
        reason = why;
    });
    showWindow(w);
    ASSERT_TRUE(QTest::qWaitFor([&] { return linkStatus() == "OFF LINE"; }, 5000));
    w.action("EmulationRun")->trigger();
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(reason, "COM1 (/nonexistent/orvane-tty): no such device");
    EXPECT_FALSE(w.port().IsOpen());
    EXPECT_EQ(linkStatus(), "OFF LINE");
    EXPECT_TRUE(enabled("EmulationRun"));
    EXPECT_FALSE(enabled("EmulationStop"));
    w.close();
}

TEST_F(FormMainTest, LampsAreDrawnFromTheActivityFlags)
{
    struct Case
    {
        bool read;
        bool write;
        QColor readLamp;
        QColor writeLamp;
    };
    const Case cases[] = {
        {true, false, kReadLit, kWriteDark},
        {false, false, kReadDark, kWriteDark},
        {false, true, kReadDark, kWriteLit},
        {true, true, kReadLit, kWriteLit},
    };
    // Not shown, so that no worker clears the flags under the test.
    TFormMain& w = harness.Create();
    TKivStatusBar& bar = w.statusBar();
    bar.resize(794, 24);
    // The runner owns the flags and hands them out read-only; the test
    // stands in for the transaction that raises them.
    auto& flags = const_cast<ActivityFlags&>(w.runner().activity());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "read " << c.read << " write " << c.write);
        flags.readActivity = c.read;
        flags.writeActivity = c.write;
        const LampPixels lamps = PaintedLamps(bar);
        EXPECT_EQ(lamps.read, c.readLamp) << lamps.read.name().toStdString();
        EXPECT_EQ(lamps.write, c.writeLamp) << lamps.write.name().toStdString();
        EXPECT_EQ(PaintedLampPanel(bar), ExpectedLampPanel(bar, c.read, c.write));
    }
    EXPECT_EQ(bar.PanelWidth(2), 48);
}

TEST_F(FormMainTest, ToolTipsAndStatusHints)
{
    TFormMain& w = harness.Create();
    showWindow(w);
    auto* toolBar = w.findChild<QToolBar*>("ToolBarMain");
    ASSERT_NE(toolBar, nullptr);
    auto* exitButton = qobject_cast<QToolButton*>(toolBar->widgetForAction(w.action("FileExit")));
    ASSERT_NE(exitButton, nullptr);
    EXPECT_EQ(exitButton->toolTip(), "Exit");
    QHelpEvent help(QEvent::ToolTip, exitButton->rect().center(),
                    exitButton->mapToGlobal(exitButton->rect().center()));
    QApplication::sendEvent(exitButton, &help);
    EXPECT_EQ(QToolTip::text(), "Exit");
    QToolTip::hideText();

    // Hovering over a menu item shows its long hint in panel 0.
    QMenu* emulation = nullptr;
    for (QAction* menu : w.menuBar()->actions())
        if (menu->text() == "E&mulation")
            emulation = menu->menu();
    ASSERT_NE(emulation, nullptr);
    emulation->popup(w.mapToGlobal(QPoint(50, 50)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(emulation));
    emulation->setActiveAction(w.action("EmulationDefault"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return w.statusBar().PanelText(0) == "Default Parameters"; }, 2000))
        << w.statusBar().PanelText(0).toStdString();
    emulation->hide();
    EXPECT_EQ(w.action("EmulationDefault")->toolTip(), "Default");
    w.close();
}

TEST_F(FormMainTest, PlacementIsKeptBetweenRunsAndMinimisedReopensNormal)
{
    const QRect saved(60, 40, 600, 450);
    {
        TFormMain& w = harness.Create();
        showWindow(w);
        w.setGeometry(saved);
        QTest::qWait(20);
        ASSERT_EQ(w.geometry(), saved);
        w.close();
    }
    std::optional<WindowPlacement> stored = storedPlacement();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->showCmd, WindowPlacement::kShowNormal);
    EXPECT_EQ(QRect(QPoint(stored->left, stored->top), QPoint(stored->right - 1, stored->bottom - 1)),
              saved);

    TFormMain& second = harness.Create();
    showWindow(second);
    EXPECT_EQ(second.geometry(), saved);
    const QRect moved(80, 30, 640, 480);
    second.setGeometry(moved);
    QTest::qWait(20);
    second.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.isMinimized(); }, 2000));
    second.close();
    stored = storedPlacement();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->showCmd, WindowPlacement::kShowMinimized);

    TFormMain& third = harness.Create();
    showWindow(third);
    EXPECT_FALSE(third.isMinimized());
    EXPECT_EQ(third.geometry(), moved);
    third.close();
}

// The grids open Modify on a double click and on Enter; the value editor
// shows the row's value.
TEST_F(FormMainTest, DoubleClickAndEnterOnAGridOpenModify)
{
    TFormMain& w = harness.Create();
    showWindow(w);
    w.image().WriteDbWord(1, 4, 321);
    w.TimerRefreshTimer();
    TKivGrid* grid = w.views().grid(MemoryViews::DataBlockPage);
    TFormValue& editor = harness.valueEditor();

    QString seen;
    auto answerWith = [&](const char* entry, bool ok) {
        QTimer::singleShot(0, &editor, [&, entry, ok] {
            if (QApplication::activeModalWidget() != &editor)
                return;
            seen = editor.EditValore()->text();
            editor.EditValore()->selectAll();
            QTest::keyClicks(editor.EditValore(), entry);
            QPushButton* button = ok ? editor.BtnOK() : editor.BtnCancel();
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        });
    };

    answerWith("999", false);
    const QPoint row5 = grid->CellRect(1, 5).center();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row5);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->GetRow(), 5);
    EXPECT_EQ(seen, "321");
    EXPECT_EQ(w.image().ReadDbWord(1, 4), 321);

    seen.clear();
    answerWith("1000", true);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, "321");
    EXPECT_EQ(w.image().ReadDbWord(1, 4), 1000);

    // Other keys in the grid open nothing.
    seen.clear();
    answerWith("5", true);
    QTest::keyClick(grid, Qt::Key_A);
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.isEmpty());
    w.close();
}

} // namespace

namespace {

QStringList MenuTexts(TFormMain& w, const QString& title)
{
    QStringList texts;
    for (QAction* menu : w.menuBar()->actions())
        if (menu->text() == title)
            for (QAction* item : menu->menu()->actions())
                texts << item->text();
    return texts;
}

TEST_F(FormMainTest, TheFileMenuSavesAndOpensTheImageWhileThePgIsServed)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    harness.MapPort("COM1", pty.slavePath());
    TFormMain& w = harness.Create();
    showWindow(w);
    EXPECT_EQ(MenuTexts(w, "&File"),
              (QStringList{"&Open Image...", "Save Image &As...", "", "E&xit"}));
    EXPECT_EQ(w.action("FileOpenImage")->toolTip(), "Open memory image");
    EXPECT_EQ(w.action("FileSaveImageAs")->statusTip(), "Save the memory image to a file");
    w.action("EmulationRun")->trigger();
    ASSERT_TRUE(w.port().IsOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.action("FileOpenImage")->isEnabled(); }, 2000));

    const QString file = QDir::temp().filePath(QStringLiteral("orvane-form-main-%1.json")
                                                   .arg(QCoreApplication::applicationPid()));
    w.imageCommands().SetSaveDialog([&](const QString&) { return file; });
    w.imageCommands().SetOpenDialog([&](const QString&) { return file; });
    w.imageCommands().SetWarning([](const QString& text, const QString& informative) {
        ADD_FAILURE() << text.toStdString() << " " << informative.toStdString();
    });
    w.image().WriteCell(PlcArea::Z, 9, 0x0909);
    w.image().SetDbStart(4, 0x1000);
    w.action("FileSaveImageAs")->trigger();
    w.image().ResetToDefaults();
    w.action("FileOpenImage")->trigger();
    EXPECT_EQ(w.image().ReadCell(PlcArea::Z, 9), 0x0909);
    EXPECT_EQ(w.image().DbEntry(4).start, 0x1000);
    EXPECT_TRUE(w.port().IsOpen()); // the emulation ran on throughout
    QFile::remove(file);
    w.close();
}

} // namespace
