// Order of device names as a person reads them: runs of digits compare as
// numbers, so that ttyUSB2 comes before ttyUSB10.
#pragma once

#include <string_view>

// Strict weak order. Digit runs compare by value (of any length, without
// overflow); of equal values the one with fewer leading zeros comes first;
// everything else compares byte by byte.
bool NaturalLess(std::string_view a, std::string_view b);
