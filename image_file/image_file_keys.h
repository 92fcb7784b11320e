// The names of a memory image file's fields and the areas they hold, shared
// by the writer and the reader so that both follow one layout.
#pragma once

#include <span>
#include <type_traits>

#include "core/image_snapshot.h"

namespace image_file {

inline constexpr int kValuesPerRow = 8;

namespace key {
inline constexpr char kBases[] = "bases";
inline constexpr char kDataBlocks[] = "dataBlocks";
inline constexpr char kFormat[] = "format";
inline constexpr char kStatus[] = "status";
inline constexpr char kVersion[] = "version";
// A data block's entry.
inline constexpr char kBlock[] = "block";
inline constexpr char kExists[] = "exists";
inline constexpr char kLength[] = "length";
inline constexpr char kStart[] = "start";
inline constexpr char kWords[] = "words";
// Base names are the area names.
inline constexpr char kSystem[] = "system";
} // namespace key

// The five cell areas outside the data blocks, in file order; an area's key
// names both its rows at the top level and its base under "bases".
struct CellArea
{
    const char* key;
    bool word;
    int32_t AreaBases::*base;
};

inline constexpr CellArea kCellAreas[] = {
    {"timers", true, &AreaBases::t},    {"counters", true, &AreaBases::z},
    {"flags", false, &AreaBases::mb},   {"inputs", false, &AreaBases::eb},
    {"outputs", false, &AreaBases::ab},
};

// The cells of area n of kCellAreas in a snapshot, const or not.
template <typename Snapshot> auto CellsOf(Snapshot& s, int n)
{
    using Cell = std::conditional_t<std::is_const_v<Snapshot>, const int32_t, int32_t>;
    switch (n) {
    case 0:
        return std::span<Cell>(s.timers);
    case 1:
        return std::span<Cell>(s.counters);
    case 2:
        return std::span<Cell>(s.merkers);
    case 3:
        return std::span<Cell>(s.inputs);
    default:
        return std::span<Cell>(s.outputs);
    }
}

} // namespace image_file
