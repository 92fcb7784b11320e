// Pieces of the one-line messages that describe what is wrong in a file:
// where a byte offset lies, and file text quoted so that it cannot break
// the line or swamp the message.
#pragma once

#include <QByteArray>
#include <QString>

namespace image_file {

// "line 12, column 5" for a byte offset into data. Lines and columns count
// from 1; a column counts characters, not the bytes of their UTF-8 form.
// An offset past the end gives the position just after the last byte.
QString PositionText(const QByteArray& data, qsizetype offset);

inline constexpr qsizetype kQuoteWhole = -1;

// text in double quotes, control and line-breaking characters written as
// \uXXXX escapes, cut to its first limit characters with "..." after them
// (a path is quoted whole).
QString Quoted(const QString& text, qsizetype limit = 40);

} // namespace image_file
