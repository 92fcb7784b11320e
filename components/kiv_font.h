// A font together with its colour, as the components hand fonts around: the
// grid's own font, its focus font and its fixed-cell font each carry a colour.
#pragma once

#include "components/kiv_color.h"

#include <QFont>

struct KivFont
{
    QFont font;
    TColor color = clWindowText;

    bool operator==(const KivFont& other) const = default;
};

// The components' standard font: the desktop's default family at 8 points,
// in the window-text colour.
KivFont defaultKivFont();
