// A copy of everything in a memory image, and the check that an exchange
// changed the image only where the record of an applied write says.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/plc_image.h"

struct RequestRecord;

struct ImageSnapshot
{
    std::array<std::array<int32_t, PlcImage::kDbWords>, PlcImage::kDbCount> db{};
    std::array<int32_t, PlcImage::kWordCells> t{};
    std::array<int32_t, PlcImage::kWordCells> z{};
    std::array<int32_t, PlcImage::kMerkers> mb{};
    std::array<int32_t, PlcImage::kIoBytes> eb{};
    std::array<int32_t, PlcImage::kIoBytes> ab{};
    std::array<DbDirectoryEntry, PlcImage::kDirectorySize> directory{};
    AreaBases bases;
    bool running = false;
    bool batteryOk = false;

    static ImageSnapshot Take(const PlcImage& image);
};

// Empty when after is before with exactly the record's changes applied:
// the cells it names hold the values it lists, the status byte it lists
// sets RUN/STOP and the battery, and nothing else differs (the directory
// and the bases never change). write is the record of the applied write,
// null when the exchange applied none. Otherwise, what differs.
std::string ExplainImageChange(const ImageSnapshot& before, const ImageSnapshot& after,
                               const RequestRecord* write);

// True when the record's text is that of a write ("Block Write (...)").
bool IsWriteRecord(const RequestRecord& record);
