// The traffic log as a table: Time, Request, Result and Values, one row per
// listed exchange, newest at the bottom. Sync follows the log with one
// removal at the front and one insertion at the end, never a reset, so a
// view stays fast with a full log and thousands of new rows a second.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>

#include "monitor/traffic_text.h"

class TrafficLog;
struct TrafficRow;

class TrafficTableModel : public QAbstractTableModel
{
    Q_OBJECT

  public:
    enum Column
    {
        TimeColumn,
        RequestColumn,
        ResultColumn,
        ValuesColumn,
        kColumnCount
    };
    // Values shown in a row; all of them are in its tool tip and the saved
    // file. A 128-word read listed in full costs the view a long text to
    // lay out on every repaint, and no column is that wide.
    static constexpr size_t kShownValues = 16;

    // log must outlive the model; the model shows its rows as of the last Sync.
    explicit TrafficTableModel(const TrafficLog& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Removes the rows the log no longer holds and inserts its new ones;
    // returns how many rows were removed from the top.
    int Sync();

    void SetNotation(ValueNotation notation);
    ValueNotation notation() const { return m_notation; }

  private:
    // The log's row shown at row, or null when the log has dropped it
    // since the last Sync.
    const TrafficRow* logRow(int row) const;

    const TrafficLog& m_log;
    // The log serial of the model's first row, and the rows it has.
    uint64_t m_firstSerial = 0;
    int m_count = 0;
    ValueNotation m_notation = ValueNotation::Dec;
};
