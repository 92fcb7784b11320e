// Small value types shared by the owner-drawn grid and its descendants:
// the option set, the cell draw state, cell coordinates and cell ranges.
#pragma once

#include <QFlags>
#include <cstdint>

// The grid's behaviour switches, in their traditional order.
enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

// What a cell is while it is painted.
enum TGridDrawStateFlag : unsigned {
    gdSelected = 1u << 0,  // inside the selection
    gdFocused = 1u << 1,   // the current cell of the active control
    gdFixed = 1u << 2,     // in a fixed row or column
};
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

// The frame round the grid.
enum TBorderStyle : std::uint8_t { bsNone, bsSingle };

// A cell: X is the column, Y the row; -1 for "no cell".
struct TGridCoord
{
    int X = -1;
    int Y = -1;
    bool operator==(const TGridCoord&) const = default;
};

// A block of cells, all four bounds inclusive.
struct TGridRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
    bool contains(int col, int row) const
    {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
};
