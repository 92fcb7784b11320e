// Start-up order matters here: the emulated controller exists before the
// pages that show it, its worker starts only when the window is shown and
// is stopped before the placement is saved at closing.
#include "ui/form_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "components/kiv_status_bar.h"
#include "core/emulation_runner.h"
#include "core/plc_image.h"
#include "emulator/emulator.h"
#include "serial/kiv_comm_port.h"
#include "serial/settings_store.h"
#include "ui/about_box.h"
#include "ui/action_icons.h"
#include "ui/edit_commands.h"
#include "ui/form_config.h"
#include "ui/form_value.h"
#include "ui/form_monitor.h"
#include "ui/help_window.h"
#include "ui/image_commands.h"
#include "ui/memory_views.h"
#include "ui/orvane_application.h"
#include "ui/window_placement.h"

namespace {

constexpr int kClientWidth = 794;
constexpr int kClientHeight = 565;
constexpr int kLinkStatusPanel = 1;
constexpr int kLampPanel = 2;

struct ActionSpec
{
    const char* name;
    const char* caption;
    const char* toolTip;
    const char* statusTip;
    int icon;  // index into the main image list, -1 for none
};

const ActionSpec kActions[] = {
    {"EditModify", "Modify", "Modify selected value", "Modify selected value", 0},
    {"EditClear", "Clear", "Clear all values", "Clear all values", 1},
    {"EmulationRun", "Run", "Run Emulation", "Run Emulation", 2},
    {"EmulationStop", "Stop", "Stop Emulation", "Stop Emulation", 3},
    {"EmulationConfigure", "Configure", "Configure Emulation", "Configure Emulation", 6},
    {"EmulationDefault", "Default", "Default", "Default Parameters", -1},
    {"EmulationMonitor", "Monitor", "Show AS511 traffic", "Show the requests served on the serial line", -1},
    {"FileOpenImage", "&Open Image...", "Open memory image", "Load the memory image from a file", -1},
    {"FileSaveImageAs", "Save Image &As...", "Save memory image", "Save the memory image to a file", -1},
    {"FileExit", "E&xit", "Exit", "Quits the application", 4},
    {"HelpHelp", "Help", "Help", "Help for this Software", 10},
    {"HelpAbout", "About...", "About this Software", "About this Software", 5},
};

// Runs a command; an error that escapes it is shown and the program goes on.
// Errors are caught here rather than left to unwind through the toolkit.
template <typename F>
auto Guarded(F f)
{
    return [f = std::move(f)] {
        try {
            f();
        } catch (const std::exception& e) {
            OrvaneApplication::ShowError(QString::fromUtf8(e.what()));
        }
    };
}

} // namespace

TFormMain::TFormMain(SettingsStore& store, QWidget* parent) : QMainWindow(parent), m_store(store)
{
    // Controls and their layout.
    setWindowTitle(QStringLiteral("Orvane"));
    setWindowIcon(ProgramIcon());
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    BuildActions();
    BuildMenus();
    BuildToolBar();
    m_pageControl = new QTabWidget;
    m_pageControl->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(m_pageControl);
    BuildStatusBar();
    resize(kClientWidth, kClientHeight);

    // Names derived from the program file.
    const QString program = QCoreApplication::applicationFilePath();
    m_exeBaseName = ExeBaseName(program);
    m_helpFile = HelpFilePath();

    // The emulated controller: image, port, link settings and worker.
    m_emulator = std::make_unique<Emulator>(m_store, *this);

    // The pages; their selectors start at their first items.
    m_views = new MemoryViews(m_emulator->image(), m_pageControl);
    m_imageCommands = std::make_unique<ImageCommands>(m_emulator->image(), *m_views, this);
    m_monitor = new TFormMonitor(this);
    connect(m_views, &MemoryViews::modifyRequested, this,
            Guarded([this] { m_editCommands->EditModifyExecute(); }));

    m_timerRefresh = new QTimer(this);
    m_timerRefresh->setInterval(100);
    connect(m_timerRefresh, &QTimer::timeout, this, &TFormMain::TimerRefreshTimer);
    m_timerRefresh->start();
}

TFormMain::~TFormMain()
{
    // The worker must be gone before the window it calls.
    m_emulator->StopWorker();
}

PlcImage& TFormMain::image()
{
    return m_emulator->image();
}

TKivCommPort& TFormMain::port()
{
    return m_emulator->port();
}

EmulationRunner& TFormMain::runner()
{
    return m_emulator->runner();
}

void TFormMain::SetDialogs(TFormValue* formValue, TAboutBox* aboutBox, TFormConfig* formConfig)
{
    m_formValue = formValue;
    m_aboutBox = aboutBox;
    m_formConfig = formConfig;
    m_editCommands =
        std::make_unique<EditCommands>(m_emulator->image(), *m_views, *m_formValue, this);
    connect(action("EditModify"), &QAction::triggered, this,
            Guarded([this] { m_editCommands->EditModifyExecute(); }));
    connect(action("EditClear"), &QAction::triggered, this,
            Guarded([this] { m_editCommands->EditClearExecute(); }));
    connect(action("EmulationDefault"), &QAction::triggered, this,
            Guarded([this] { m_editCommands->EmulationDefaultExecute(); }));
}

QAction* TFormMain::action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

void TFormMain::BuildActions()
{
    const std::vector<QIcon> icons = MainImageList();
    for (const ActionSpec& entry : kActions) {
        auto* a = new QAction(QString::fromLatin1(entry.caption), this);
        a->setObjectName(QString::fromLatin1(entry.name));
        a->setToolTip(QString::fromLatin1(entry.toolTip));
        a->setStatusTip(QString::fromLatin1(entry.statusTip));
        if (entry.icon >= 0 && entry.icon < static_cast<int>(icons.size()))
            a->setIcon(icons[entry.icon]);
        a->setEnabled(QLatin1String(entry.name) == QLatin1String("FileExit"));
    }
    connect(action("EmulationRun"), &QAction::triggered, this,
            Guarded([this] { EmulationRunExecute(); }));
    connect(action("EmulationStop"), &QAction::triggered, this,
            Guarded([this] { EmulationStopExecute(); }));
    connect(action("EmulationConfigure"), &QAction::triggered, this,
            Guarded([this] { EmulationConfigureExecute(); }));
    connect(action("FileExit"), &QAction::triggered, this, &QWidget::close);
    connect(action("EmulationMonitor"), &QAction::triggered, this,
            Guarded([this] { EmulationMonitorExecute(); }));
    connect(action("FileOpenImage"), &QAction::triggered, this,
            Guarded([this] { m_imageCommands->FileOpenImageExecute(); }));
    connect(action("FileSaveImageAs"), &QAction::triggered, this,
            Guarded([this] { m_imageCommands->FileSaveImageAsExecute(); }));
    connect(action("HelpHelp"), &QAction::triggered, this, Guarded([this] { HelpHelpExecute(); }));
    connect(action("HelpAbout"), &QAction::triggered, this,
            Guarded([this] { HelpAboutExecute(); }));
}

void TFormMain::BuildMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(action("FileOpenImage"));
    file->addAction(action("FileSaveImageAs"));
    file->addSeparator();
    file->addAction(action("FileExit"));
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->addAction(action("EditModify"));
    edit->addAction(action("EditClear"));
    QMenu* emulation = bar->addMenu(QStringLiteral("E&mulation"));
    emulation->addAction(action("EmulationRun"));
    emulation->addAction(action("EmulationStop"));
    emulation->addSeparator();
    emulation->addAction(action("EmulationConfigure"));
    emulation->addAction(action("EmulationDefault"));
    emulation->addAction(action("EmulationMonitor"));
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(action("HelpHelp"));
    help->addSeparator();
    help->addAction(action("HelpAbout"));
    for (QMenu* menu : {file, edit, emulation, help})
        menu->setToolTipsVisible(false);
}

void TFormMain::BuildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBarMain"));
    bar->setObjectName(QStringLiteral("ToolBarMain"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->addAction(action("EditModify"));
    bar->addAction(action("EditClear"));
    bar->addSeparator();
    bar->addAction(action("EmulationRun"));
    bar->addAction(action("EmulationStop"));
    bar->addAction(action("EmulationConfigure"));
    bar->addSeparator();
    bar->addAction(action("HelpHelp"));
    bar->addAction(action("HelpAbout"));
    bar->addSeparator();
    bar->addAction(action("FileExit"));
}

void TFormMain::BuildStatusBar()
{
    m_statusBar = new TKivStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("KivStatusBar"));
    m_statusBar->setFixedHeight(24);
    m_statusBar->AddPanel(630, Qt::AlignLeft, TKivPanelStyle::Text);
    m_statusBar->AddPanel(86, Qt::AlignHCenter, TKivPanelStyle::Text);
    m_statusBar->AddPanel(48, Qt::AlignHCenter, TKivPanelStyle::OwnerDraw);
    m_statusBar->AddPanel(30, Qt::AlignHCenter, TKivPanelStyle::Text);
    m_lamps = LampImages();
    m_statusBar->SetOnDrawPanel([this](TKivStatusBar&, int panel, const QRect& rect,
                                       QPainter& painter) {
        if (panel == kLampPanel)
            DrawLamps(rect, painter);
    });
    setStatusBar(m_statusBar);
}

void TFormMain::DrawLamps(const QRect& rect, QPainter& painter)
{
    painter.fillRect(rect, m_statusBar->palette().window());
    const ActivityFlags& activity = m_emulator->activity();
    const bool read = activity.readActivity.load(std::memory_order_relaxed) != 0;
    const bool write = activity.writeActivity.load(std::memory_order_relaxed) != 0;
    painter.drawPixmap(rect.left() + 5, rect.top() + 3, m_lamps[read ? 0 : 1]);
    painter.drawPixmap(rect.left() + 24, rect.top() + 3, m_lamps[write ? 2 : 3]);
}

void TFormMain::SetLinkStatusText(const std::string& text)
{
    m_statusBar->SetPanelText(kLinkStatusPanel, QString::fromStdString(text));
    // Painted now: a short-lived "Err: n" must be seen before the next poll step.
    m_statusBar->repaint();
}

void TFormMain::RepaintLamps()
{
    // Only the lamps inside their panel changed: painting them alone keeps
    // the worker's wait for this short when they flip every few exchanges.
    m_statusBar->repaint(m_statusBar->PanelRect(kLampPanel));
}

void TFormMain::ShowOpenFailure(const std::string& reason)
{
    if (m_openFailureSink) {
        m_openFailureSink(reason);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning..."),
                    QStringLiteral("Unable to open comm port!"), QMessageBox::Ok, this);
    box.setInformativeText(QString::fromStdString(reason));
    box.exec();
}

void TFormMain::ShowSettingsProblems()
{
    const std::vector<std::string>& problems = m_emulator->problems();
    if (problems.empty())
        return;
    QStringList lines;
    for (const std::string& problem : problems)
        lines << QString::fromStdString(problem);
    const QString text =
        lines.join(QLatin1Char('\n')) +
        QStringLiteral("\n\nThe default is used instead. Choose Emulation > Configure and Ok to "
                       "store a good value.");
    if (m_warningSink) {
        m_warningSink(text);
        return;
    }
    QMessageBox::warning(this, QStringLiteral("Warning..."), text, QMessageBox::Ok);
}

void TFormMain::ActionListMainUpdate()
{
    const bool inForce = m_emulator->InForce() || m_emulator->IsOpen();
    action("EmulationRun")->setEnabled(!inForce);
    action("EmulationStop")->setEnabled(inForce);
    for (const char* name : {"EditModify", "EditClear", "EmulationConfigure", "EmulationDefault",
                             "HelpHelp", "HelpAbout", "FileOpenImage", "FileSaveImageAs",
                             "EmulationMonitor"})
        action(name)->setEnabled(true);
}

void TFormMain::TimerRefreshTimer()
{
    m_views->RefreshViews();
    // The worker never waits for this: what it served since the last tick
    // is taken from the queue here, and what the queue could not hold is
    // counted as dropped.
    m_monitor->Take(m_emulator->exchanges());
    ActionListMainUpdate();
}

void TFormMain::EmulationRunExecute()
{
    m_emulator->Run();
    ActionListMainUpdate();
    UpdateRunHint();
}

void TFormMain::EmulationStopExecute()
{
    m_emulator->Stop();
    ActionListMainUpdate();
}

void TFormMain::EmulationConfigureExecute()
{
    if (m_formConfig) {
        m_formConfig->ShowModal();
        UpdateRunHint();
    }
}

void TFormMain::EmulationMonitorExecute()
{
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
}

void TFormMain::UpdateRunHint()
{
    // A virtual port is reached through a link the PG must be pointed at:
    // say where, so the operator need not look it up.
    QString hint = QStringLiteral("Run Emulation");
    try {
        const QString device = QString::fromStdString(m_emulator->PgDevicePath());
        m_monitor->SetPgDevice(device);
        if (m_emulator->UsesVirtualPort())
            hint += QStringLiteral(" (virtual port: the PG opens %1)").arg(device);
    } catch (const std::exception&) {
        // An unreadable mapping leaves the plain hint.
    }
    action("EmulationRun")->setStatusTip(hint);
}

void TFormMain::HelpHelpExecute()
{
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow(this);
    const QString error = m_helpWindow->ShowContents(m_helpFile);
    if (!error.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Help"), error);
}

void TFormMain::HelpAboutExecute()
{
    if (m_aboutBox)
        m_aboutBox->exec();
}

void TFormMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFormMain::FormShow()
{
    // Centred with its designed size unless a saved placement applies.
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    RestoreWindowPlacement(m_store, m_exeBaseName, *this);
    m_views->SetUpGrids();
    m_views->SetUpAddressFields();
    m_views->Edit1Change();
    ActionListMainUpdate();
    UpdateRunHint();
    m_emulator->StartWorker();
    // Told once the window stands, so the box has it as its parent.
    QTimer::singleShot(0, this, [this] { ShowSettingsProblems(); });
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TFormMain::FormClose()
{
    m_emulator->StopWorker();
    SaveWindowPlacement(m_store, m_exeBaseName, *this);
}
