// Exchange records as the runner hands them on, built for the monitor's tests.
#pragma once

#include <cstdio>
#include <initializer_list>

#include "core/exchange_record.h"
#include "core/transaction_result.h"

namespace test_records {

// A completed request with a description and values.
inline ExchangeRecord Served(int32_t function, const char* description, uint32_t foreColor,
                             std::initializer_list<int32_t> values, uint8_t valueBits = 16)
{
    ExchangeRecord record;
    record.result = result::kDone;
    record.function = function;
    record.hasRequest = true;
    record.bytesReceived = 10;
    record.bytesSent = 20;
    std::snprintf(record.request.description, sizeof record.request.description, "%s", description);
    record.request.foreColor = foreColor;
    for (const int32_t value : values)
        AddRecordValue(record.request, value);
    record.request.valueBits = valueBits;
    return record;
}

// A failed exchange: no request record.
inline ExchangeRecord Failed(int32_t code, int32_t function = -1)
{
    ExchangeRecord record;
    record.result = code;
    record.function = function;
    record.bytesReceived = 1;
    return record;
}

// A read whose time and first value carry n, to tell records apart.
inline ExchangeRecord Numbered(int32_t n)
{
    ExchangeRecord record = Served(0x04, "Block Read  (DB 1, DW 0)", kRecordColorRead, {n});
    record.timeMs = n;
    return record;
}

} // namespace test_records
