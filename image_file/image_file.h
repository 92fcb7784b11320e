// Memory image files: the whole image as a JSON document a person can read,
// edit and compare (README.md, "Memory image files", describes the format).
// A file is read all or nothing: it is parsed and checked completely before
// an image comes back, and every refusal is one line of plain words that
// names the field at fault.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/image_snapshot.h"

namespace image_file {

inline constexpr char kFormatName[] = "orvane-memory-image";
inline constexpr int kVersion = 1;
// A saved image is about 100 KB; this leaves room for hand-edited spacing
// and refuses anything that cannot be one before reading it.
inline constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

} // namespace image_file

// The document for snapshot, the same bytes for the same image. Cells are
// written as the PG reads them (the low 16 bits of a word, the low 8 of a
// byte); a start, base or length outside the file's ranges (no operator or
// PG can store one) is written at the nearest end of its range.
QByteArray FormatImage(const ImageSnapshot& snapshot);

// The image a document holds, or nothing with error set to why not. Any
// bytes at all are accepted as input: this is the entry point for a fuzzer.
std::optional<ImageSnapshot> ParseImage(const QByteArray& data, QString& error);

// ParseImage on the file at path. Errors of the file itself (missing, a
// folder, unreadable, too large) name the path; errors of its contents do
// not, the caller knows which file it read.
std::optional<ImageSnapshot> ReadImageFile(const QString& path, QString& error);

// Writes the document through a temporary file that replaces the old one
// only when complete, so a crash or a full disk leaves the old file whole.
// On failure error names the path and gives the system's reason.
bool WriteImageFile(const QString& path, const ImageSnapshot& snapshot, QString& error);
