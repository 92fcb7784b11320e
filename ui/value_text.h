// Texts of cell values as the views and the value editor show them, and the
// one rule by which every number the operator types is read back.
#pragma once

#include <QString>
#include <cstdint>

// BCD of the low 16 bits as digits decimal digits (4 or 2), most significant
// first; minus signs instead when any of the four nibbles is above 9, also
// for two digits, where the upper nibbles are tested too.
QString FormatBcd(int32_t value, int digits);

// Bits bits - 1 down to 0 as "1"/"0", a blank after every group bits from the
// right when group > 0 (so a word reads as two groups of eight).
QString FormatBin(int32_t value, int bits, int group);

// Optional leading blanks, an optional sign, then the digits up to the first
// other character; 0 without digits. Saturates at the int32 range, so a long
// digit string typed by the operator never overflows.
int32_t ReadDecimal(const QString& text);

// The DEC, HEX, BCD and BIN columns of a grid row for one cell.
struct CellTexts
{
    QString dec;
    QString hex;
    QString bcd;
    QString bin;
};

// word: a data word, timer or counter ("%04X", four BCD digits, 16 bits in
// two groups); otherwise a flag, input or output byte ("%02X", two BCD
// digits, 8 bits).
CellTexts FormatCell(int32_t value, bool word);
