// The traffic log: the exchanges the worker served, taken from the exchange
// queue on the user-interface thread, as a bounded list of rows and a set
// of counters. Standard library only; the monitor window shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

class ExchangeQueue;

// One served exchange as the monitor lists it.
struct TrafficRow
{
    int64_t timeMs = 0;      // wall-clock milliseconds since the epoch
    std::string description; // empty when the exchange carried no request
    uint32_t foreColor = 0;  // 0x00BBGGRR
    uint32_t backColor = 0xFFFFFF;
    int32_t result = 0;             // 0 completed, else the failed step's code
    const char* stepText = nullptr; // the failed step in words; null when completed
    int32_t function = -1;          // the PG's function byte, -1 when none came
    std::vector<int32_t> values;    // the moved values
    uint8_t valueBits = 16;         // 16 for words, 8 for bytes
};

// Counted since the last Clear, whether listed or not.
struct TrafficCounters
{
    // Completed exchanges by function byte.
    uint64_t reads = 0;            // 0x04
    uint64_t writes = 0;           // 0x03
    uint64_t systemParameters = 0; // 0x18
    uint64_t blockInfo = 0;        // 0x1A
    // Failed exchanges by result code.
    std::map<int32_t, uint64_t> failures;
    uint64_t bytesReceived = 0;
    uint64_t bytesSent = 0;
    // Records the queue overwrote before they were taken.
    uint64_t dropped = 0;
    // Records taken while paused, which were counted but not listed.
    uint64_t unlisted = 0;

    bool operator==(const TrafficCounters&) const = default;
};

class TrafficLog
{
  public:
    static constexpr size_t kMaxRows = 10000;

    // What one Take did to the list: the list now holds the previous rows
    // without the first `removed`, followed by `appended` new rows. New
    // rows that dropped off within the same Take are in neither number.
    struct TakeResult
    {
        size_t taken = 0;     // records taken from the queue
        uint64_t dropped = 0; // records the queue dropped since the last Take
        size_t appended = 0;
        size_t removed = 0;
    };

    // Drains the queue (this thread must be its only reader), at most
    // queue.capacity() records per call, so that a writer that keeps
    // pushing cannot hold the caller here: what comes meanwhile waits for
    // the next call, or is dropped by the queue and counted.
    TakeResult Take(ExchangeQueue& queue);

    // While paused, records are taken and counted but not listed.
    void SetPaused(bool paused) { m_paused = paused; }
    bool paused() const { return m_paused; }
    // Empties the list and the counters.
    void Clear();

    const std::deque<TrafficRow>& rows() const { return m_rows; }
    const TrafficCounters& counters() const { return m_counters; }
    // The serial number of rows()[0]: every row ever listed has one, in
    // order, so that a view can tell which of its rows are still here.
    uint64_t firstSerial() const { return m_firstSerial; }

  private:
    std::deque<TrafficRow> m_rows;
    TrafficCounters m_counters;
    uint64_t m_firstSerial = 0;
    // The queue's own dropped count at the last Take.
    uint64_t m_queueDropped = 0;
    bool m_paused = false;
};
