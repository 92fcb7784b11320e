// The data telegrams of the three AS511 read requests, built from the
// image. Each optionally fills the request record with its description
// and the values it moved.
#pragma once

#include <cstdint>

class PlcImage;
class TelegramBuffer;
struct RequestRecord;

// Five zero bytes, then the cells the range walk visits from start to end
// (or the status byte alone). Nothing is read, and the result is false,
// when start or end is 0, end lies below start, or start is in no area;
// otherwise true (a hand-off is due).
bool BuildReadMemoryPayload(const PlcImage& image, int32_t start, int32_t end, TelegramBuffer& out,
                            RequestRecord* record);
// The 45-byte system parameters: the six area bases and fixed words.
void BuildSystemParametersPayload(const PlcImage& image, TelegramBuffer& out,
                                  RequestRecord* record);
// The 13-byte block information of data block db (0..255).
void BuildBlockInfoPayload(const PlcImage& image, int db, TelegramBuffer& out,
                           RequestRecord* record);
