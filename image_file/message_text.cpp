// Offsets to lines and columns, and file text made safe to quote.
#include "image_file/message_text.h"

#include <algorithm>

namespace image_file {

namespace {

bool BreaksTheLine(char16_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

} // namespace

QString PositionText(const QByteArray& data, qsizetype offset)
{
    const qsizetype end = std::min(std::max<qsizetype>(offset, 0), data.size());
    qsizetype line = 1;
    qsizetype column = 1;
    for (qsizetype i = 0; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) { // not a UTF-8 continuation byte
            ++column;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

QString Quoted(const QString& text, qsizetype limit)
{
    QString quoted = QStringLiteral("\"");
    qsizetype shown = limit == kQuoteWhole ? text.size() : std::min(text.size(), limit);
    if (shown < text.size() && shown > 0 && text[shown - 1].isHighSurrogate())
        --shown; // a cut never splits a character in two
    for (qsizetype i = 0; i < shown; ++i) {
        const char16_t c = text[i].unicode();
        if (BreaksTheLine(c))
            quoted += QStringLiteral("\\u%1").arg(unsigned(c), 4, 16, QLatin1Char('0'));
        else
            quoted += text[i];
    }
    if (text.size() > shown)
        quoted += QStringLiteral("...");
    quoted += QLatin1Char('"');
    return quoted;
}

} // namespace image_file
