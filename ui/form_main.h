// The main window: menus, tool bar, the seven memory pages, the status bar
// with the link status and the two activity lamps, and the refresh timer.
// It holds the emulated controller (the image, the port, the link settings
// and the worker that serves the PG) and only shows it.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <memory>

#include "core/runner_host.h"

class EditCommands;
class ImageCommands;
class Emulator;
class EmulationRunner;
class MemoryViews;
class PlcImage;
class QAction;
class QTabWidget;
class QTimer;
class SettingsStore;
class TAboutBox;
class TFormConfig;
class TFormMonitor;
class TFormValue;
class TKivCommPort;
class TKivStatusBar;
class HelpWindow;

class TFormMain : public QMainWindow, public RunnerHost
{
    Q_OBJECT

public:
    explicit TFormMain(SettingsStore& store, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The dialogs, created after the main window and living as long as it.
    void SetDialogs(TFormValue* formValue, TAboutBox* aboutBox, TFormConfig* formConfig);

    // RunnerHost, on the user-interface thread.
    void SetLinkStatusText(const std::string& text) override;
    void RepaintLamps() override;
    void ShowOpenFailure(const std::string& reason) override;

    // Enables Run only while Run is not in force and Stop only while it is
    // (the port open, or a hung-up line waiting to be reopened).
    void ActionListMainUpdate();
    void TimerRefreshTimer();

    // Commands.
    void EmulationRunExecute();
    void EmulationStopExecute();
    void EmulationConfigureExecute();
    void EmulationMonitorExecute();
    void HelpHelpExecute();
    void HelpAboutExecute();

    // For tests and the program's wiring.
    Emulator& emulator() { return *m_emulator; }
    PlcImage& image();
    MemoryViews& views() { return *m_views; }
    EditCommands& editCommands() { return *m_editCommands; }
    ImageCommands& imageCommands() { return *m_imageCommands; }
    TFormMonitor& monitor() { return *m_monitor; }
    TKivStatusBar& statusBar() { return *m_statusBar; }
    TKivCommPort& port();
    EmulationRunner& runner();
    QTabWidget& pageControl() { return *m_pageControl; }
    QAction* action(const char* name) const;
    const QString& exeBaseName() const { return m_exeBaseName; }
    // Replaces the "Unable to open comm port!" box, for tests.
    void SetOpenFailureSink(std::function<void(const std::string& reason)> sink)
    {
        m_openFailureSink = std::move(sink);
    }
    // Replaces the box that tells of bad stored settings at start, for tests.
    void SetWarningSink(std::function<void(const QString& text)> sink)
    {
        m_warningSink = std::move(sink);
    }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void DrawLamps(const QRect& rect, QPainter& painter);
    void ShowSettingsProblems();
    void UpdateRunHint();

    SettingsStore& m_store;
    QString m_exeBaseName;
    QString m_helpFile;
    std::unique_ptr<Emulator> m_emulator;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<ImageCommands> m_imageCommands;
    QTabWidget* m_pageControl = nullptr;
    MemoryViews* m_views = nullptr;
    TKivStatusBar* m_statusBar = nullptr;
    QTimer* m_timerRefresh = nullptr;
    HelpWindow* m_helpWindow = nullptr;
    TFormMonitor* m_monitor = nullptr;
    std::array<QPixmap, 4> m_lamps;
    TFormValue* m_formValue = nullptr;
    TAboutBox* m_aboutBox = nullptr;
    TFormConfig* m_formConfig = nullptr;
    std::function<void(const std::string&)> m_openFailureSink;
    std::function<void(const QString&)> m_warningSink;
    bool m_shown = false;
};
