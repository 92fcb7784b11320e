// A copy of the whole memory image as a plain value: every cell of every
// area, the data block directory, the area bases and the RUN/STOP and
// battery state. Memory image files are read into and written from it.
#pragma once

#include <array>
#include <cstdint>

#include "core/plc_image.h"

struct ImageSnapshot
{
    std::array<std::array<int32_t, PlcImage::kDbWords>, PlcImage::kDbCount> dbWords{};
    std::array<DbDirectoryEntry, PlcImage::kDbCount> directory{};
    std::array<int32_t, PlcImage::kWordCells> timers{};
    std::array<int32_t, PlcImage::kWordCells> counters{};
    std::array<int32_t, PlcImage::kMerkers> merkers{};
    std::array<int32_t, PlcImage::kIoBytes> inputs{};
    std::array<int32_t, PlcImage::kIoBytes> outputs{};
    AreaBases bases{};
    bool running = true;
    bool batteryOk = true;

    bool operator==(const ImageSnapshot&) const = default;
};

// Reads every value of image once. While another thread writes, each value
// is one that image held at some moment; the copy as a whole need not be.
ImageSnapshot CaptureImage(const PlcImage& image);

// Writes every value of snapshot into image, one value at a time through
// the image's own operations, the system base included. A value another
// thread writes meanwhile may be overwritten, but none is ever half written.
void ApplyImage(PlcImage& image, const ImageSnapshot& snapshot);
