// The texts of the traffic log: each column of a row, the counters in one
// line, and the plain text file of the listed rows. The monitor window and
// the saved file use the same texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "monitor/traffic_log.h"

enum class ValueNotation
{
    Dec, // "%d"
    Hex, // "%04X" for words, "%02X" for bytes
};

// "hh:mm:ss.zzz" in local time.
std::string TimeText(int64_t timeMs);
// "0" for a completed exchange, else "code: step text".
std::string ResultText(const TrafficRow& row);
// The moved values in the notation, separated by blanks; past maxValues
// of them, " ..." stands for the rest.
std::string ValuesText(const TrafficRow& row, ValueNotation notation,
                       size_t maxValues = SIZE_MAX);
// A failure's short name: "WAIT" when no STX came, else "Err code".
std::string FailureLabel(int32_t code);
// "Err 74: 2, WAIT: 5": the "Err" codes in ascending order, then WAIT;
// "none" when nothing failed.
std::string FailuresText(const TrafficCounters& counters);
// The counters in one line, for the top of the window.
std::string CountersText(const TrafficCounters& counters);
// One line per listed row, oldest first: time, description, result and
// values, separated by tabs.
void SaveText(const TrafficLog& log, std::ostream& out, ValueNotation notation);
