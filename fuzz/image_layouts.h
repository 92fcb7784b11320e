// Memory images the transaction fuzzer serves from: every cell holds a
// value of its own (so that a write shows wherever it lands), and the
// directory, bases and state differ between layouts, as the operator may
// leave them.
#pragma once

#include <cstdint>

class PlcImage;

inline constexpr int kImageLayoutCount = 3;

// Layout selector % kImageLayoutCount:
//   0  as the program starts: default directory and bases, RUN, battery OK;
//   1  moved by the operator: blocks missing, overlapping and holding DLE
//      bytes in their start, areas moved, one of them empty, cells of DLEs;
//   2  extremes: starts and bases at the ends of the int range, 0 and
//      negative, lengths out of range, cells wider than 16 bits, STOP and
//      battery fault.
void ApplyImageLayout(PlcImage& image, uint8_t selector);
