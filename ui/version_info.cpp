// VersionInfoString: finds the record's section in the program file and
// looks the string up the way the record's tree is laid out.
#include "version_info.h"

#include "elf_section_reader.h"
#include "version_record_format.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <optional>

namespace {

std::uint32_t littleEndian(const QByteArray& data, qsizetype at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    return value;
}

// The value stored under `path`, or nothing when the record is malformed
// before an entry with that path is reached.
std::optional<QByteArray> queryValue(const QByteArray& record, const QByteArray& path)
{
    const auto size = static_cast<std::size_t>(record.size());
    if (size < VersionRecord::kHeaderSize ||
        std::memcmp(record.constData(), VersionRecord::kMagic.data(),
                    VersionRecord::kMagic.size()) != 0)
        return std::nullopt;
    const std::uint32_t count = littleEndian(record, VersionRecord::kMagic.size(), 4);
    std::size_t pos = VersionRecord::kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (size - pos < VersionRecord::kEntryHeaderSize)
            return std::nullopt;
        const std::size_t pathSize = littleEndian(record, static_cast<qsizetype>(pos), 2);
        const std::size_t valueSize = littleEndian(record, static_cast<qsizetype>(pos + 2), 2);
        pos += VersionRecord::kEntryHeaderSize;
        if (size - pos < pathSize + valueSize)
            return std::nullopt;
        const QByteArrayView entryPath(record.constData() + pos, static_cast<qsizetype>(pathSize));
        if (entryPath == path)
            return record.mid(static_cast<qsizetype>(pos + pathSize),
                              static_cast<qsizetype>(valueSize));
        pos += pathSize + valueSize;
    }
    return std::nullopt;
}

} // namespace

QString VersionInfoString(const QString& fileName, const QString& key)
{
    const std::optional<QByteArray> record = readElfSection(
        fileName, VersionRecord::kSectionName, VersionRecord::kMaxRecordSize);
    if (!record)
        return QString();

    const QByteArray translationPath(VersionRecord::kTranslationPath.data(),
                                     static_cast<qsizetype>(VersionRecord::kTranslationPath.size()));
    const std::optional<QByteArray> translation = queryValue(*record, translationPath);
    if (!translation || translation->size() < 4)
        return QString();
    const std::uint32_t language = littleEndian(*translation, 0, 2);
    const std::uint32_t codePage = littleEndian(*translation, 2, 2);

    const QString path = QStringLiteral("\\StringFileInfo\\") +
                         QString::asprintf("%04X%04X", language, codePage) + QLatin1Char('\\') +
                         key;
    const std::optional<QByteArray> value = queryValue(*record, path.toUtf8());
    if (!value)
        return QString();
    // Strings may carry their terminating NUL; nothing after it belongs to them.
    const qsizetype end = value->indexOf('\0');
    return QString::fromUtf8(end < 0 ? *value : value->left(end));
}
