// Rows are told apart by the log's serial numbers, so the model can catch
// up on any number of Takes at once (the window may have been hidden).
#include "ui/traffic_table_model.h"

#include <QBrush>
#include <algorithm>

#include "components/kiv_color.h"
#include "monitor/traffic_log.h"

TrafficTableModel::TrafficTableModel(const TrafficLog& log, QObject* parent)
    : QAbstractTableModel(parent), m_log(log), m_firstSerial(log.firstSerial())
{
    Sync();
}

int TrafficTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int TrafficTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

const TrafficRow* TrafficTableModel::logRow(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const uint64_t serial = m_firstSerial + static_cast<uint64_t>(row);
    if (serial < m_log.firstSerial())
        return nullptr;
    const uint64_t index = serial - m_log.firstSerial();
    return index < m_log.rows().size() ? &m_log.rows()[index] : nullptr;
}

QVariant TrafficTableModel::data(const QModelIndex& index, int role) const
{
    const TrafficRow* row = index.isValid() ? logRow(index.row()) : nullptr;
    if (!row)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case TimeColumn:
            return QString::fromStdString(TimeText(row->timeMs));
        case RequestColumn:
            return QString::fromLatin1(row->description);
        case ResultColumn:
            return QString::fromStdString(ResultText(*row));
        case ValuesColumn:
            return QString::fromStdString(ValuesText(*row, m_notation, kShownValues));
        default:
            return {};
        }
    case Qt::ToolTipRole:
        if (column == ValuesColumn && row->values.size() > kShownValues)
            return QString::fromStdString(ValuesText(*row, m_notation));
        return {};
    case Qt::BackgroundRole:
        if (column == RequestColumn)
            return QBrush(toQColor(row->backColor & 0xFFFFFFu));
        return {};
    case Qt::ForegroundRole:
        if (column == RequestColumn)
            return QBrush(toQColor(row->foreColor & 0xFFFFFFu));
        return {};
    default:
        return {};
    }
}

QVariant TrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Time");
    case RequestColumn:
        return QStringLiteral("Request");
    case ResultColumn:
        return QStringLiteral("Result");
    case ValuesColumn:
        return QStringLiteral("Values");
    default:
        return {};
    }
}

int TrafficTableModel::Sync()
{
    int removed = 0;
    const uint64_t logFirst = m_log.firstSerial();
    if (logFirst > m_firstSerial && m_count > 0) {
        removed = static_cast<int>(std::min<uint64_t>(logFirst - m_firstSerial, m_count));
        beginRemoveRows(QModelIndex(), 0, removed - 1);
        m_firstSerial += static_cast<uint64_t>(removed);
        m_count -= removed;
        endRemoveRows();
    }
    if (m_count == 0)
        m_firstSerial = logFirst;
    const int size = static_cast<int>(m_log.rows().size());
    if (size > m_count) {
        beginInsertRows(QModelIndex(), m_count, size - 1);
        m_count = size;
        endInsertRows();
    }
    return removed;
}

void TrafficTableModel::SetNotation(ValueNotation notation)
{
    if (notation == m_notation)
        return;
    m_notation = notation;
    if (m_count > 0)
        emit dataChanged(index(0, ValuesColumn), index(m_count - 1, ValuesColumn),
                         {Qt::DisplayRole});
}
