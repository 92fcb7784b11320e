// Notations of cell values and the decimal reading of operator input.
#include "ui/value_text.h"

#include <limits>

QString FormatBcd(int32_t value, int digits)
{
    const auto bits = static_cast<uint32_t>(value);
    QString all;
    bool valid = true;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const uint32_t nibble = (bits >> shift) & 0xFu;
        if (nibble > 9)
            valid = false;
        all.append(QChar(u'0' + static_cast<char16_t>(nibble)));
    }
    if (digits < 0)
        digits = 0;
    if (digits > 4)
        digits = 4;
    if (!valid)
        return QString(digits, u'-');
    return all.right(digits);
}

QString FormatBin(int32_t value, int bits, int group)
{
    const auto word = static_cast<uint32_t>(value);
    if (bits > 32)
        bits = 32;
    QString text;
    for (int k = bits - 1; k >= 0; --k) {
        text.append((word >> k) & 1u ? u'1' : u'0');
        if (k > 0 && group > 0 && k % group == 0)
            text.append(u' ');
    }
    return text;
}

int32_t ReadDecimal(const QString& text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < size && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulate towards the limit of the sign so that INT32_MIN is reachable.
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; i < size && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > limit)
            magnitude = limit;  // saturated; the remaining digits change nothing
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

CellTexts FormatCell(int32_t value, bool word)
{
    CellTexts texts;
    texts.dec = QString::asprintf("%d", value);
    texts.hex = QString::asprintf(word ? "%04X" : "%02X", static_cast<unsigned>(value));
    texts.bcd = FormatBcd(value, word ? 4 : 2);
    texts.bin = word ? FormatBin(value, 16, 8) : FormatBin(value, 8, 0);
    return texts;
}
