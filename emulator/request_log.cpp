#include "emulator/request_log.h"

#include "core/transaction.h"

Q_LOGGING_CATEGORY(lcAs511, "orvane.as511", QtWarningMsg)

QString RequestLogLine(const RequestRecord& record)
{
    QString line = QString::fromLatin1(record.description);
    if (record.valueCount > 0) {
        line += QLatin1Char(':');
        const int count = qBound(0, record.valueCount, RequestRecord::kMaxValues);
        for (int i = 0; i < count; ++i)
            line += QLatin1Char(' ') + QString::number(record.values[i]);
    }
    return line;
}

void LogRequest(const RequestRecord& record)
{
    if (lcAs511().isDebugEnabled())
        qCDebug(lcAs511).noquote() << RequestLogLine(record);
}
