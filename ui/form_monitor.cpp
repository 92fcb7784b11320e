// The monitor window is a thin view over TrafficLog: the texts come from
// monitor/traffic_text, the table from TrafficTableModel. The view follows
// the bottom while it is scrolled there; otherwise it keeps the rows it
// shows in place as older rows drop off the top.
#include "ui/form_monitor.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <sstream>

#include "ui/traffic_table_model.h"

namespace {
constexpr int kTimeWidth = 90;
constexpr int kRequestWidth = 220;
constexpr int kResultWidth = 160;
} // namespace

TFormMonitor::TFormMonitor(QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(std::make_unique<TrafficTableModel>(m_log))
{
    setObjectName(QStringLiteral("FormMonitor"));
    setWindowTitle(QStringLiteral("Monitor"));
    resize(820, 460);

    auto* deviceCaption = new QLabel(QStringLiteral("PG device:"), this);
    m_pgDevice = new QLabel(this);
    m_pgDevice->setObjectName(QStringLiteral("PgDevice"));
    m_pgDevice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pgDevice->setTextFormat(Qt::PlainText);
    m_counters = new QLabel(this);
    m_counters->setObjectName(QStringLiteral("Counters"));
    m_counters->setTextFormat(Qt::PlainText);
    m_counters->setWordWrap(true);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("Traffic"));
    m_table->setModel(m_model.get());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    // Fixed row heights and column widths: the view never measures rows,
    // which keeps it fast with a full log.
    QHeaderView* rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* columns = m_table->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    columns->resizeSection(TrafficTableModel::TimeColumn, kTimeWidth);
    columns->resizeSection(TrafficTableModel::RequestColumn, kRequestWidth);
    columns->resizeSection(TrafficTableModel::ResultColumn, kResultWidth);

    m_dec = new QRadioButton(QStringLiteral("DEC"), this);
    m_dec->setObjectName(QStringLiteral("Dec"));
    m_dec->setChecked(true);
    m_hex = new QRadioButton(QStringLiteral("HEX"), this);
    m_hex->setObjectName(QStringLiteral("Hex"));
    auto* notationGroup = new QButtonGroup(this);
    notationGroup->addButton(m_dec);
    notationGroup->addButton(m_hex);
    m_pause = new QPushButton(QStringLiteral("Pause"), this);
    m_pause->setObjectName(QStringLiteral("Pause"));
    m_pause->setCheckable(true);
    m_pause->setToolTip(QStringLiteral("Count new requests without listing them"));
    m_clear = new QPushButton(QStringLiteral("Clear"), this);
    m_clear->setObjectName(QStringLiteral("Clear"));
    m_save = new QPushButton(QStringLiteral("Save..."), this);
    m_save->setObjectName(QStringLiteral("Save"));

    auto* deviceLine = new QHBoxLayout;
    deviceLine->addWidget(deviceCaption);
    deviceLine->addWidget(m_pgDevice, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_dec);
    buttons->addWidget(m_hex);
    buttons->addStretch(1);
    buttons->addWidget(m_pause);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(deviceLine);
    layout->addWidget(m_counters);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(m_hex, &QRadioButton::toggled, this, [this] { m_model->SetNotation(notation()); });
    connect(m_pause, &QPushButton::toggled, this, &TFormMonitor::PauseClick);
    connect(m_clear, &QPushButton::clicked, this, &TFormMonitor::ClearClick);
    connect(m_save, &QPushButton::clicked, this, &TFormMonitor::SaveClick);

    m_fileNameSource = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save..."), QString(),
                                            QStringLiteral("Text files (*.txt);;All files (*)"));
    };
    m_warningSink = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Warning..."), text, QMessageBox::Ok);
    };
    ShowCounters();
}

TFormMonitor::~TFormMonitor() = default;

void TFormMonitor::SetPgDevice(const QString& path)
{
    m_pgDevice->setText(path);
}

ValueNotation TFormMonitor::notation() const
{
    return m_hex->isChecked() ? ValueNotation::Hex : ValueNotation::Dec;
}

void TFormMonitor::Take(ExchangeQueue& queue)
{
    const TrafficLog::TakeResult taken = m_log.Take(queue);
    if (taken.taken > 0 || taken.dropped > 0)
        m_viewBehind = true;
    if (m_viewBehind && isVisible())
        UpdateView();
}

void TFormMonitor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_viewBehind)
        UpdateView();
}

void TFormMonitor::UpdateView()
{
    QScrollBar* bar = m_table->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    const int value = bar->value();
    const int removed = m_model->Sync();
    if (atBottom)
        m_table->scrollToBottom();
    else if (removed > 0)
        bar->setValue(value - removed); // scrolled per row: the same rows stay in view
    ShowCounters();
    m_viewBehind = false;
}

void TFormMonitor::ShowCounters()
{
    m_counters->setText(QString::fromStdString(CountersText(m_log.counters())));
}

void TFormMonitor::PauseClick(bool paused)
{
    if (m_pause->isChecked() != paused)
        m_pause->setChecked(paused); // toggled calls back here
    m_log.SetPaused(paused);
}

void TFormMonitor::ClearClick()
{
    m_log.Clear();
    UpdateView();
}

void TFormMonitor::SaveClick()
{
    const QString fileName = m_fileNameSource();
    if (fileName.isEmpty())
        return;
    const QString error = SaveToFile(fileName);
    if (!error.isEmpty())
        m_warningSink(error);
}

QString TFormMonitor::SaveToFile(const QString& fileName) const
{
    std::ostringstream text;
    SaveText(m_log, text, notation());
    const std::string bytes = text.str();
    QSaveFile file(fileName);
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), size) != size ||
        !file.commit())
        return QStringLiteral("Unable to save %1: %2").arg(fileName, file.errorString());
    return {};
}
