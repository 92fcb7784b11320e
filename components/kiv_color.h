// Colours as the components keep them: plain colours are 0x00BBGGRR values,
// system colours are 0x80000000 | index and are looked up in the desktop's
// palette only when something is painted, so stored values never go stale.
#pragma once

#include <cstdint>

class QColor;

using TColor = std::uint32_t;

constexpr TColor kivRgb(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

inline constexpr TColor kSystemColorFlag = 0x80000000u;

inline constexpr TColor clBlack = kivRgb(0, 0, 0);
inline constexpr TColor clMaroon = kivRgb(128, 0, 0);
inline constexpr TColor clGreen = kivRgb(0, 128, 0);
inline constexpr TColor clOlive = kivRgb(128, 128, 0);
inline constexpr TColor clNavy = kivRgb(0, 0, 128);
inline constexpr TColor clPurple = kivRgb(128, 0, 128);
inline constexpr TColor clTeal = kivRgb(0, 128, 128);
inline constexpr TColor clGray = kivRgb(128, 128, 128);
inline constexpr TColor clSilver = kivRgb(192, 192, 192);
inline constexpr TColor clRed = kivRgb(255, 0, 0);
inline constexpr TColor clLime = kivRgb(0, 255, 0);
inline constexpr TColor clYellow = kivRgb(255, 255, 0);
inline constexpr TColor clBlue = kivRgb(0, 0, 255);
inline constexpr TColor clFuchsia = kivRgb(255, 0, 255);
inline constexpr TColor clAqua = kivRgb(0, 255, 255);
inline constexpr TColor clWhite = kivRgb(255, 255, 255);

inline constexpr TColor clScrollBar = kSystemColorFlag | 0;
inline constexpr TColor clBackground = kSystemColorFlag | 1;
inline constexpr TColor clActiveCaption = kSystemColorFlag | 2;
inline constexpr TColor clInactiveCaption = kSystemColorFlag | 3;
inline constexpr TColor clMenu = kSystemColorFlag | 4;
inline constexpr TColor clWindow = kSystemColorFlag | 5;
inline constexpr TColor clWindowFrame = kSystemColorFlag | 6;
inline constexpr TColor clMenuText = kSystemColorFlag | 7;
inline constexpr TColor clWindowText = kSystemColorFlag | 8;
inline constexpr TColor clCaptionText = kSystemColorFlag | 9;
inline constexpr TColor clActiveBorder = kSystemColorFlag | 10;
inline constexpr TColor clInactiveBorder = kSystemColorFlag | 11;
inline constexpr TColor clAppWorkSpace = kSystemColorFlag | 12;
inline constexpr TColor clHighlight = kSystemColorFlag | 13;
inline constexpr TColor clHighlightText = kSystemColorFlag | 14;
inline constexpr TColor clBtnFace = kSystemColorFlag | 15;
inline constexpr TColor clBtnShadow = kSystemColorFlag | 16;
inline constexpr TColor clGrayText = kSystemColorFlag | 17;
inline constexpr TColor clBtnText = kSystemColorFlag | 18;
inline constexpr TColor clInactiveCaptionText = kSystemColorFlag | 19;
inline constexpr TColor clBtnHighlight = kSystemColorFlag | 20;
inline constexpr TColor cl3DDkShadow = kSystemColorFlag | 21;
inline constexpr TColor cl3DLight = kSystemColorFlag | 22;
inline constexpr TColor clInfoText = kSystemColorFlag | 23;
inline constexpr TColor clInfoBk = kSystemColorFlag | 24;

constexpr bool isSystemColor(TColor c)
{
    return (c & kSystemColorFlag) != 0;
}

// The colour to paint with; system colours come from the application palette.
QColor toQColor(TColor c);

// A plain colour with the RGB of a QColor (alpha is dropped).
TColor fromQColor(const QColor& c);

// The plain RGB value that a colour resolves to now.
TColor colorToRgb(TColor c);
