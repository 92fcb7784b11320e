// What became of one transaction the poll step served: its result, the
// request it carried when it got that far, and the bytes it moved. Plain
// and fixed-size, so that handing one on allocates nothing.
#pragma once

#include <cstdint>

#include "core/request_record.h"

struct ExchangeRecord
{
    // Wall-clock milliseconds since the epoch when the transaction ended.
    int64_t timeMs = 0;
    // 0 for a completed exchange, otherwise the code of the failed step.
    int32_t result = 0;
    // The PG's function byte; -1 when none came.
    int32_t function = -1;
    // request holds the record of the request the transaction served (it
    // read or changed the image, or answered system parameters or block
    // information); false when it failed before that or touched nothing.
    bool hasRequest = false;
    // Bytes taken from the line and written to it by this transaction.
    uint32_t bytesReceived = 0;
    uint32_t bytesSent = 0;
    RequestRecord request;
};
