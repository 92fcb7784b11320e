// TFormMonitor: the non-modal "Monitor" window. It shows the device the PG
// must open, the traffic counters and the exchanges served, newest at the
// bottom, with a DEC/HEX choice for the values and Pause, Clear and Save.
// The main window drains the exchange queue into it on each refresh tick.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "monitor/traffic_log.h"
#include "monitor/traffic_text.h"

class ExchangeQueue;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;
class TrafficTableModel;

class TFormMonitor : public QWidget
{
    Q_OBJECT

  public:
    // Asks for the file to save to; empty for none.
    using FileNameSource = std::function<QString()>;
    // Shows a warning with the caption "Warning...".
    using WarningSink = std::function<void(const QString& text)>;

    explicit TFormMonitor(QWidget* parent = nullptr);
    ~TFormMonitor() override;

    // The device path the PG must open, shown for the operator to copy.
    void SetPgDevice(const QString& path);
    // On each refresh tick: drains the queue into the log, then brings the
    // table and the counters up to date. While the window is hidden only
    // the log is filled; the view catches up when it is shown.
    void Take(ExchangeQueue& queue);

    // The buttons.
    void PauseClick(bool paused);
    void ClearClick();
    void SaveClick();
    // Writes the listed rows, as SaveText does, to fileName; returns the
    // error text, empty on success. The file is replaced only whole.
    QString SaveToFile(const QString& fileName) const;

    // Replace the file dialog and the warning box, for tests.
    void SetFileNameSource(FileNameSource source) { m_fileNameSource = std::move(source); }
    void SetWarningSink(WarningSink sink) { m_warningSink = std::move(sink); }

    const TrafficLog& log() const { return m_log; }
    TrafficTableModel& model() { return *m_model; }
    QTableView& table() { return *m_table; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void UpdateView();
    void ShowCounters();
    ValueNotation notation() const;

    TrafficLog m_log;
    // Declared after the log: it is destroyed first.
    std::unique_ptr<TrafficTableModel> m_model;
    QLabel* m_pgDevice = nullptr;
    QLabel* m_counters = nullptr;
    QTableView* m_table = nullptr;
    QRadioButton* m_dec = nullptr;
    QRadioButton* m_hex = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_save = nullptr;
    FileNameSource m_fileNameSource;
    WarningSink m_warningSink;
    // The log has changed since the view last caught up.
    bool m_viewBehind = false;
};
