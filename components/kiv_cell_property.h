// The record that the cell-property grid keeps for each of its cells.
#pragma once

#include "components/kiv_color.h"

#include <QString>

#include <cstdint>

class QImage;

// Placement of a cell's text or picture. Values 1 to 3 and above 8 have no
// name and place the content like gcaTopLeft.
enum TGridCellAlign : std::uint8_t {
    gcaTopLeft = 0,
    gcaLeftCenter = 4,
    gcaRightCenter = 5,
    gcaTopCenter = 6,
    gcaBottomCenter = 7,
    gcaCenter = 8,
};

// What a cell shows; any other value shows only the background.
enum TGridCellStyle : std::uint8_t {
    gcsText = 0,
    gcsBitmap = 1,
};

struct TKivCellProperty
{
    QString Text;
    QString Mask;
    std::int32_t Limit = 0;
    TColor BackColor = clWhite;
    TColor ForeColor = clWindowText;
    TGridCellAlign Alignment = gcaCenter;
    // The cell's own picture, owned by the grid for as long as the cell
    // exists; copies of the record refer to it but never own it.
    QImage* Bitmap = nullptr;
    TGridCellStyle Style = gcsText;
    QString Tag;
};
