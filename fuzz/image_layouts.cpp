// The fuzzer's memory image layouts.
#include "fuzz/image_layouts.h"

#include <climits>
#include <iterator>

#include "core/plc_image.h"

namespace {

constexpr PlcArea kCellAreas[] = {PlcArea::T, PlcArea::Z, PlcArea::MB, PlcArea::EB, PlcArea::AB};

int CellCount(PlcArea area)
{
    if (area == PlcArea::MB)
        return PlcImage::kMerkers;
    return area == PlcArea::EB || area == PlcArea::AB ? PlcImage::kIoBytes : PlcImage::kWordCells;
}

// Gives every cell value(area, index): a value of its own.
void FillCells(PlcImage& image, int32_t (*value)(int area, int index))
{
    for (int db = 0; db < PlcImage::kDbCount; ++db)
        for (int word = 0; word < PlcImage::kDbWords; ++word)
            image.WriteDbWord(db, word, value(db + 8, word));
    for (int a = 0; a < static_cast<int>(std::size(kCellAreas)); ++a)
        for (int i = 0; i < CellCount(kCellAreas[a]); ++i)
            image.WriteCell(kCellAreas[a], i, value(a + 1, i));
}

int32_t PlainValue(int area, int index)
{
    return ((area * 0x35 + index * 0x0101) & 0xFFFF) | 0x0001;
}

int32_t DleValue(int area, int index)
{
    return (index + area) % 3 == 0 ? 0x1010 : PlainValue(area, index);
}

int32_t WideValue(int area, int index)
{
    switch ((index + area) % 4) {
    case 0:
        return INT32_MIN + index;
    case 1:
        return -1 - index;
    case 2:
        return 0x12345 * (index + 1);
    default:
        return INT32_MAX - area;
    }
}

void Moved(PlcImage& image)
{
    FillCells(image, DleValue);
    image.SetDbExists(1, false);
    image.SetDbStart(3, PlcImage::DefaultDbStart(2) + 0x40); // overlaps DB 2's window
    image.SetDbStart(16, 0x1010);
    image.SetDbLength(16, 7);
    image.SetDbStart(20, 0x1000);
    image.SetDbExists(21, false);
    image.SetDbStart(21, 0x1080);
    image.SetDbStart(127, 0xFF80); // its window runs past the 16-bit addresses
    image.SetAreaBase(PlcArea::T, 0xEC10);
    image.SetAreaBase(PlcArea::Z, 0xEE00); // Z is empty: MB starts where it would
    image.SetAreaBase(PlcArea::EB, 0xEF10);
    image.SetAreaBase(PlcArea::AB, 0xFFF0);
}

void Extremes(PlcImage& image)
{
    FillCells(image, WideValue);
    image.SetDbStart(0, 0);
    image.SetDbStart(1, -5);
    image.SetDbStart(2, INT32_MAX);
    image.SetDbStart(3, INT32_MIN);
    image.SetDbStart(4, INT32_MAX - 0x80);
    image.SetDbLength(0, -1);
    image.SetDbLength(1, INT32_MAX);
    image.SetDbLength(2, INT32_MIN);
    image.SetDbExists(5, false);
    image.SetDbStart(5, 1);
    image.SetAreaBase(PlcArea::EB, INT32_MIN);
    image.SetAreaBase(PlcArea::AB, INT32_MAX - 10);
    image.SetAreaBase(PlcArea::MB, 0xFF00);
    image.SetAreaBase(PlcArea::T, 0xFFFF);
    image.SetAreaBase(PlcArea::Z, 1);
    image.SetRunning(false);
    image.SetBatteryOk(false);
}

} // namespace

void ApplyImageLayout(PlcImage& image, uint8_t selector)
{
    switch (selector % kImageLayoutCount) {
    case 1:
        Moved(image);
        break;
    case 2:
        Extremes(image);
        break;
    default:
        FillCells(image, PlainValue);
        break;
    }
}
