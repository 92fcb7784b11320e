// Taking exchange records into the bounded list and the counters.
#include "monitor/traffic_log.h"

#include <algorithm>
#include <cstring>

#include "core/exchange_queue.h"
#include "core/transaction_result.h"

namespace {

constexpr int32_t kFunctionWrite = 0x03;
constexpr int32_t kFunctionRead = 0x04;
constexpr int32_t kFunctionSystemParameters = 0x18;
constexpr int32_t kFunctionBlockInfo = 0x1A;

void Count(TrafficCounters& counters, const ExchangeRecord& record)
{
    counters.bytesReceived += record.bytesReceived;
    counters.bytesSent += record.bytesSent;
    if (record.result != result::kDone) {
        ++counters.failures[record.result];
        return;
    }
    switch (record.function) {
    case kFunctionRead:
        ++counters.reads;
        break;
    case kFunctionWrite:
        ++counters.writes;
        break;
    case kFunctionSystemParameters:
        ++counters.systemParameters;
        break;
    case kFunctionBlockInfo:
        ++counters.blockInfo;
        break;
    default:
        break;
    }
}

// The record's fields are read with their bounds checked, so that a
// malformed record makes a short row rather than a read past its end.
TrafficRow MakeRow(const ExchangeRecord& record)
{
    TrafficRow row;
    row.timeMs = record.timeMs;
    row.result = record.result;
    row.stepText = record.result == result::kDone ? nullptr : ResultStepText(record.result);
    row.function = record.function;
    if (!record.hasRequest)
        return row;
    const RequestRecord& request = record.request;
    row.description.assign(request.description,
                           strnlen(request.description, sizeof request.description));
    row.foreColor = request.foreColor;
    row.backColor = request.backColor;
    const int count = std::clamp(request.valueCount, 0, RequestRecord::kMaxValues);
    row.values.assign(request.values, request.values + count);
    row.valueBits = request.valueBits == 8 ? 8 : 16;
    return row;
}

} // namespace

TrafficLog::TakeResult TrafficLog::Take(ExchangeQueue& queue)
{
    TakeResult done;
    const size_t before = m_rows.size();
    ExchangeRecord record;
    while (done.taken < queue.capacity() && queue.Pop(record)) {
        ++done.taken;
        Count(m_counters, record);
        if (m_paused)
            ++m_counters.unlisted;
        else
            m_rows.push_back(MakeRow(record));
    }
    // The queue counts from its start; a count below the last one seen
    // can only come from another queue, whose count is then new in full.
    const uint64_t queueDropped = queue.dropped();
    done.dropped = queueDropped >= m_queueDropped ? queueDropped - m_queueDropped : queueDropped;
    m_queueDropped = queueDropped;
    m_counters.dropped += done.dropped;

    const size_t added = m_rows.size() - before;
    const size_t excess = m_rows.size() > kMaxRows ? m_rows.size() - kMaxRows : 0;
    m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<ptrdiff_t>(excess));
    m_firstSerial += excess;
    done.removed = std::min(excess, before);
    done.appended = added - (excess - done.removed);
    return done;
}

void TrafficLog::Clear()
{
    m_firstSerial += m_rows.size();
    m_rows.clear();
    m_counters = {};
}
