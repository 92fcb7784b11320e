// Images with every value drawn at random within what a memory image file
// can hold, and a comparison that names the first field that differs.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "core/image_snapshot.h"

// Cells within their width (16 bits for words, 8 for bytes), block starts
// and bases 1..FFFF, lengths 1..128, either RUN/STOP and battery state.
ImageSnapshot RandomSnapshot(std::mt19937& rng);

// Empty when a and b are equal, else the first difference, e.g.
// "DB 5 word 3: 4660 != 0".
std::string FirstDifference(const ImageSnapshot& a, const ImageSnapshot& b);
