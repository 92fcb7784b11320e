// Reads one named section out of an ELF file through its section headers.
// The file is treated as untrusted: every offset, size and count is checked
// against the file before it is used, and anything that does not add up
// gives no result.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

// The contents of the first section called `sectionName` in the ELF file
// `fileName` (32- or 64-bit, either byte order), or nothing when the file
// cannot be read, is not ELF, is truncated or malformed, has no such
// section, or the section holds no file data or more than `maxSize` bytes.
std::optional<QByteArray> readElfSection(const QString& fileName, std::string_view sectionName,
                                         std::uint64_t maxSize);
