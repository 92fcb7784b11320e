// A PG's write memory request applied to the image.
#pragma once

#include <cstdint>

class PlcImage;
struct RequestRecord;

// Writes count data bytes from start on, walking the area resolved on
// start; a word takes data bytes j - start and j - start + 1, so data must
// hold at least count + 1 bytes, the one past the data 0. In the System
// area only the status byte is written. Returns true when start lies in an
// area (a hand-off is due); start 0 and addresses in no area change
// nothing and give false.
bool ApplyMemoryWrite(PlcImage& image, int32_t start, const uint8_t* data, int count,
                      RequestRecord* record);
