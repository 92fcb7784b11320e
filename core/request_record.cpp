// Texts and colours of the per-request record.
#include "core/request_record.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

const char* AreaName(PlcArea area)
{
    switch (area) {
    case PlcArea::T:
        return "T";
    case PlcArea::Z:
        return "Z";
    case PlcArea::MB:
        return "MB";
    case PlcArea::EB:
        return "EB";
    case PlcArea::AB:
        return "AB";
    default:
        return "";
    }
}

// The number a cell at address would have, for an address past the area's
// last cell.
int UnreachedCellNumber(const PlcImage& image, ResolvedAddress where, int32_t address)
{
    const int64_t base =
        where.area == PlcArea::DB ? image.DbEntry(where.db).start : image.AreaBase(where.area);
    int64_t number = address - base;
    if (PlcImage::IsWordArea(where.area))
        number /= 2;
    return static_cast<int>(std::clamp<int64_t>(number, INT32_MIN, INT32_MAX));
}

void Reset(RequestRecord& record, uint32_t color, uint8_t valueBits)
{
    record.description[0] = '\0';
    record.backColor = kRecordBackColor;
    record.foreColor = color;
    record.valueBits = valueBits;
}

} // namespace

void DescribeTransfer(RequestRecord& record, bool write, const PlcImage& image,
                      ResolvedAddress where, int32_t start, int first, int last)
{
    if (first < 0) {
        first = last = UnreachedCellNumber(image, where, start);
    }
    Reset(record, write ? kRecordColorWrite : kRecordColorRead,
          PlcImage::IsWordArea(where.area) ? 16 : 8);
    const char* head = write ? "Block Write (" : "Block Read  (";
    char* out = record.description;
    const auto size = sizeof record.description;
    const bool range = last > first;
    if (where.area == PlcArea::System) {
        std::snprintf(out, size, "%sSystem)", head);
    } else if (where.area == PlcArea::DB) {
        if (range)
            std::snprintf(out, size, "%sDB %d, DW %d - DW %d)", head, where.db, first, last);
        else
            std::snprintf(out, size, "%sDB %d, DW %d)", head, where.db, first);
    } else {
        const char* name = AreaName(where.area);
        if (range)
            std::snprintf(out, size, "%s%s %d - %s %d)", head, name, first, name, last);
        else
            std::snprintf(out, size, "%s%s %d)", head, name, first);
    }
}

void DescribeSystemParameters(RequestRecord& record)
{
    Reset(record, kRecordColorSystem, 16);
    std::snprintf(record.description, sizeof record.description, "Block System");
}

void DescribeBlockInfo(RequestRecord& record, int db)
{
    Reset(record, kRecordColorSystem, 16);
    std::snprintf(record.description, sizeof record.description, "Block Info  (DB %d)", db);
}

void AddRecordValue(RequestRecord& record, int32_t value)
{
    if (record.valueCount < RequestRecord::kMaxValues)
        record.values[record.valueCount++] = value;
}
