// What a served AS511 request did, for display or logging: a one-line
// description, two colours and the values it moved. Fixed-size, so that
// filling one during an exchange allocates nothing.
#pragma once

#include <cstdint>

#include "core/plc_image.h"

struct RequestRecord
{
    static constexpr int kMaxValues = 256;
    static constexpr int kDescriptionSize = 64;
    char description[kDescriptionSize] = {};
    uint32_t backColor = 0xFFFFFF; // 0x00BBGGRR
    uint32_t foreColor = 0;        // 0x00BBGGRR, by kind of request
    int32_t values[kMaxValues] = {};
    int valueCount = 0;
    // Width of the moved values: 16 for words (data words, timers,
    // counters, the bases and block information), 8 for bytes.
    uint8_t valueBits = 16;
};

inline constexpr uint32_t kRecordBackColor = 0xFFFFFF;
inline constexpr uint32_t kRecordColorWrite = 0x0000FF;
inline constexpr uint32_t kRecordColorRead = 0x008000;
inline constexpr uint32_t kRecordColorSystem = 0xFF0000;

// "Block Write (...)" or "Block Read  (...)" for a transfer in an area:
// "DB n, DW a - DW b", "T a - T b" (likewise Z, MB, EB, AB) or "System";
// the range form only when last lies beyond first. first and last are the
// first and last cell moved; -1 when none was, and the cell number that
// start would have (counted from the area's base) stands for both.
void DescribeTransfer(RequestRecord& record, bool write, const PlcImage& image,
                      ResolvedAddress where, int32_t start, int first, int last);
// "Block System".
void DescribeSystemParameters(RequestRecord& record);
// "Block Info  (DB n)".
void DescribeBlockInfo(RequestRecord& record, int db);
// The Describe functions set the text and colours and leave the values.
// Appends one moved value; values past kMaxValues are not kept.
void AddRecordValue(RequestRecord& record, int32_t value);

// The cells a transfer moved, noted for its record (null: no record kept).
struct MovedCells
{
    int first = -1;
    int last = -1;

    void Add(RequestRecord* record, int index, int32_t value)
    {
        if (!record)
            return;
        AddRecordValue(*record, value);
        if (first < 0)
            first = index;
        last = index;
    }
};
