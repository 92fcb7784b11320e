// Payloads of the read memory, system parameters and block information
// replies.
#include "core/reply_payloads.h"

#include "core/plc_image.h"
#include "core/request_record.h"
#include "core/telegram_buffer.h"

namespace {

constexpr int kReadHeadBytes = 5;
constexpr uint8_t kBlockMissing = 0x14;
constexpr uint16_t kBlockSync = 0x7070;
constexpr uint8_t kBlockTypeDb = 0x41;
constexpr int32_t kBlockHeadWords = 5; // added to the length in the reply
constexpr uint16_t kSystemFixedWord = 0x0100;

uint16_t Low16(int32_t v)
{
    return static_cast<uint16_t>(v & 0xFFFF);
}
uint8_t Low8(int32_t v)
{
    return static_cast<uint8_t>(v & 0xFF);
}

} // namespace

bool BuildReadMemoryPayload(const PlcImage& image, int32_t start, int32_t end, TelegramBuffer& out,
                            RequestRecord* record)
{
    if (record)
        record->valueCount = 0;
    for (int i = 0; i < kReadHeadBytes; ++i)
        out.PutByte(0);
    if (start <= 0 || end <= 0 || end < start)
        return false;

    const ResolvedAddress where = image.ResolveAddress(start);
    if (where.area == PlcArea::None)
        return false;

    if (where.area == PlcArea::System) {
        const bool statusByte =
            start == image.AreaBase(PlcArea::System) + PlcImage::kStatusByteOffset;
        const uint8_t status = image.StatusByte();
        if (statusByte)
            out.PutByte(status);
        if (record) {
            DescribeTransfer(*record, false, image, where, start, 0, 0);
            if (statusByte)
                AddRecordValue(*record, status);
        }
        return true;
    }

    const bool words = PlcImage::IsWordArea(where.area);
    MovedCells moved;
    image.WalkResolved(where, start, end, [&](int32_t, int index) {
        int32_t value = 0;
        if (where.area == PlcArea::DB) {
            value = Low16(image.ReadDbWord(where.db, index));
        } else {
            const int32_t cell = image.ReadCell(where.area, index);
            value = words ? Low16(cell) : Low8(cell);
        }
        if (words)
            out.PutWord(static_cast<uint16_t>(value));
        else
            out.PutByte(static_cast<uint8_t>(value));
        moved.Add(record, index, value);
    });
    if (record)
        DescribeTransfer(*record, false, image, where, start, moved.first, moved.last);
    return true;
}

void BuildSystemParametersPayload(const PlcImage& image, TelegramBuffer& out, RequestRecord* record)
{
    const AreaBases bases = image.Bases();
    const uint16_t moved[] = {Low16(bases.eb), Low16(bases.ab), Low16(bases.mb),
                              Low16(bases.t),  Low16(bases.z),  Low16(bases.system)};
    out.PutByte(0);
    out.PutWord(0);
    out.PutWord(0);
    for (uint16_t base : moved)
        out.PutWord(base);
    for (int i = 0; i < 3; ++i)
        out.PutWord(0);
    out.PutWord(kSystemFixedWord);
    for (int i = 0; i < 10; ++i)
        out.PutWord(0);

    if (record) {
        record->valueCount = 0;
        DescribeSystemParameters(*record);
        for (uint16_t base : moved)
            AddRecordValue(*record, base);
    }
}

void BuildBlockInfoPayload(const PlcImage& image, int db, TelegramBuffer& out,
                           RequestRecord* record)
{
    const DbDirectoryEntry entry = image.DbEntry(db);
    const bool exists = entry.exists == 1;
    const uint8_t head = exists ? 0x00 : kBlockMissing;
    const uint16_t start = Low16(entry.start);
    // Unsigned, so that any stored length wraps instead of overflowing.
    const uint16_t length =
        static_cast<uint16_t>(static_cast<uint32_t>(entry.length) + kBlockHeadWords);

    out.PutByte(head);
    out.PutWord(start);
    if (exists) {
        // A block that exists carries its block head: sync word, type, number.
        out.PutWord(kBlockSync);
        out.PutByte(kBlockTypeDb);
        out.PutByte(static_cast<uint8_t>(db));
    } else {
        out.PutByte(0);
        out.PutByte(0);
        out.PutWord(0);
    }
    out.PutWord(0);
    out.PutWord(0);
    out.PutWord(length);

    if (record) {
        record->valueCount = 0;
        DescribeBlockInfo(*record, db);
        AddRecordValue(*record, head);
        AddRecordValue(*record, start);
        AddRecordValue(*record, length);
    }
}
