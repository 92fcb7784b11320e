// The PG's write memory request: data bytes into the cells the range walk
// visits, or the status byte.
#include "core/memory_write.h"

#include "core/link_layer.h"
#include "core/plc_image.h"
#include "core/request_record.h"

bool ApplyMemoryWrite(PlcImage& image, int32_t start, const uint8_t* data, int count,
                      RequestRecord* record)
{
    if (start <= 0 || count <= 0)
        return false;
    if (record)
        record->valueCount = 0;
    const ResolvedAddress where = image.ResolveAddress(start);
    if (where.area == PlcArea::None)
        return false;

    if (where.area == PlcArea::System) {
        const bool statusByte =
            start == image.AreaBase(PlcArea::System) + PlcImage::kStatusByteOffset;
        if (statusByte)
            image.ApplyStatusByte(data[0]);
        if (record) {
            DescribeTransfer(*record, true, image, where, start, 0, 0);
            if (statusByte)
                AddRecordValue(*record, data[0]);
        }
        return true;
    }

    const int32_t end = start + count - 1;
    const bool words = PlcImage::IsWordArea(where.area);
    MovedCells moved;
    image.WalkResolved(where, start, end, [&](int32_t address, int index) {
        const uint8_t* at = data + (address - start);
        const int32_t value = words ? ReadWordBE(at) : at[0];
        if (where.area == PlcArea::DB)
            image.WriteDbWord(where.db, index, value);
        else
            image.WriteCell(where.area, index, value);
        moved.Add(record, index, value);
    });
    if (record)
        DescribeTransfer(*record, true, image, where, start, moved.first, moved.last);
    return true;
}
