// Formatting of the traffic log's rows and counters.
#include "monitor/traffic_text.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <ostream>

#include "core/transaction_result.h"

std::string TimeText(int64_t timeMs)
{
    // Floor division, so that a time before the epoch keeps a positive
    // millisecond part.
    int64_t seconds = timeMs / 1000;
    int64_t millis = timeMs % 1000;
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (static_cast<int64_t>(time) != seconds || !localtime_r(&time, &local))
        return "--:--:--.---";
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return text;
}

std::string ResultText(const TrafficRow& row)
{
    std::string text = std::to_string(row.result);
    if (row.result != result::kDone)
        text += std::string(": ") + (row.stepText ? row.stepText : ResultStepText(row.result));
    return text;
}

std::string ValuesText(const TrafficRow& row, ValueNotation notation, size_t maxValues)
{
    std::string text;
    const size_t shown = std::min(row.values.size(), maxValues);
    text.reserve(shown * 6 + 4);
    char value[16];
    for (size_t i = 0; i < shown; ++i) {
        const int32_t v = row.values[i];
        if (notation == ValueNotation::Dec)
            std::snprintf(value, sizeof value, "%d", v);
        else if (row.valueBits == 8)
            std::snprintf(value, sizeof value, "%02X", static_cast<unsigned>(v) & 0xFFu);
        else
            std::snprintf(value, sizeof value, "%04X", static_cast<unsigned>(v) & 0xFFFFu);
        if (!text.empty())
            text += ' ';
        text += value;
    }
    if (shown < row.values.size())
        text += shown > 0 ? " ..." : "...";
    return text;
}

std::string FailureLabel(int32_t code)
{
    return code == result::kNoStx ? std::string("WAIT") : "Err " + std::to_string(code);
}

std::string FailuresText(const TrafficCounters& counters)
{
    std::string text;
    const auto add = [&text](int32_t code, uint64_t count) {
        if (!text.empty())
            text += ", ";
        text += FailureLabel(code) + ": " + std::to_string(count);
    };
    for (const auto& [code, count] : counters.failures)
        if (code != result::kNoStx)
            add(code, count);
    if (const auto wait = counters.failures.find(result::kNoStx); wait != counters.failures.end())
        add(wait->first, wait->second);
    return text.empty() ? std::string("none") : text;
}

std::string CountersText(const TrafficCounters& counters)
{
    const auto n = [](uint64_t value) { return std::to_string(value); };
    return "Read: " + n(counters.reads) + ", Write: " + n(counters.writes) +
           ", System: " + n(counters.systemParameters) + ", Info: " + n(counters.blockInfo) +
           "   Failures: " + FailuresText(counters) + "   Received: " + n(counters.bytesReceived) +
           " bytes, Sent: " + n(counters.bytesSent) + " bytes   Dropped: " + n(counters.dropped) +
           ", Not listed: " + n(counters.unlisted);
}

void SaveText(const TrafficLog& log, std::ostream& out, ValueNotation notation)
{
    for (const TrafficRow& row : log.rows())
        out << TimeText(row.timeMs) << '\t' << row.description << '\t' << ResultText(row) << '\t'
            << ValuesText(row, notation) << '\n';
}
