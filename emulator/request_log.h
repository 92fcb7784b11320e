// Served AS511 requests, one debug line each, in the logging category
// "orvane.as511" (enable with QT_LOGGING_RULES="orvane.as511.debug=true").
#pragma once

#include <QLoggingCategory>
#include <QString>

struct RequestRecord;

Q_DECLARE_LOGGING_CATEGORY(lcAs511)

// "Block Read  (DB 1, DW 0 - DW 2): 1 2 3"
QString RequestLogLine(const RequestRecord& record);
// Writes the record's line to lcAs511 when its debug level is enabled.
void LogRequest(const RequestRecord& record);
