// The main window: menus, tool bar, the seven memory pages, the status bar
// with the link status and the two activity lamps, the refresh timer, and
// the owner of the memory image, the serial port, the link settings and the
// worker thread that serves the PG.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <memory>

#include "core/runner_host.h"
#include "serial/link_settings.h"

class CommPortLine;
class EditCommands;
class EmulationRunner;
class MemoryViews;
class PlcImage;
class QAction;
class QTabWidget;
class QTimer;
class QtDispatcher;
class SettingsStore;
class TAboutBox;
class TFormConfig;
class TFormValue;
class TKivCommPort;
class TKivStatusBar;
class TKivThreadControl;
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
    void ShowOpenFailure() override;
    PortParams LoadPortParams() override;

    void LoadLinkSettings();
    // Enables Run only while the port is closed and Stop only while it is open.
    void ActionListMainUpdate();
    void TimerRefreshTimer();

    // Commands.
    void EmulationRunExecute();
    void EmulationStopExecute();
    void EmulationConfigureExecute();
    void HelpHelpExecute();
    void HelpAboutExecute();

    // For tests and the program's wiring.
    PlcImage& image() { return *m_image; }
    MemoryViews& views() { return *m_views; }
    EditCommands& editCommands() { return *m_editCommands; }
    TKivStatusBar& statusBar() { return *m_statusBar; }
    TKivCommPort& port() { return *m_port; }
    EmulationRunner& runner() { return *m_runner; }
    QTabWidget& pageControl() { return *m_pageControl; }
    QAction* action(const char* name) const;
    const QString& exeBaseName() const { return m_exeBaseName; }
    // Replaces the "Unable to open comm port!" box, for tests.
    void SetOpenFailureSink(std::function<void()> sink) { m_openFailureSink = std::move(sink); }

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

    SettingsStore& m_store;
    QString m_exeBaseName;
    QString m_helpFile;
    LinkSettings m_linkSettings;
    std::unique_ptr<TKivCommPort> m_port;
    std::unique_ptr<CommPortLine> m_portLine;
    std::unique_ptr<PlcImage> m_image;
    std::unique_ptr<QtDispatcher> m_dispatcher;
    std::unique_ptr<TKivThreadControl> m_threadControl;
    std::unique_ptr<EmulationRunner> m_runner;
    std::unique_ptr<EditCommands> m_editCommands;
    QTabWidget* m_pageControl = nullptr;
    MemoryViews* m_views = nullptr;
    TKivStatusBar* m_statusBar = nullptr;
    QTimer* m_timerRefresh = nullptr;
    HelpWindow* m_helpWindow = nullptr;
    std::array<QPixmap, 4> m_lamps;
    TFormValue* m_formValue = nullptr;
    TAboutBox* m_aboutBox = nullptr;
    TFormConfig* m_formConfig = nullptr;
    std::function<void()> m_openFailureSink;
    bool m_shown = false;
};
