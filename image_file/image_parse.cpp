// Reading a memory image file. The whole document is checked before the
// image is returned, field by field in a fixed order, and the first fault
// found is reported. Every row of cells must hold exactly eight values and
// every area all of its rows: a value left out or added by hand is caught
// in its own row instead of shifting the values after it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLatin1String>

#include "image_file/field_readers.h"
#include "image_file/image_file.h"
#include "image_file/image_file_keys.h"
#include "image_file/json_duplicate_keys.h"
#include "image_file/message_text.h"

using namespace image_file;

namespace {

bool ReadFormat(const QJsonObject& root, QString& error)
{
    const QString formatName = QLatin1String(kFormatName);
    if (!root.contains(QLatin1String(key::kFormat)))
        return Fail(error, {},
                    QStringLiteral("format is missing: the file is not an Orvane memory image"));
    const QJsonValue format = root.value(QLatin1String(key::kFormat));
    if (!format.isString())
        return Expected(error, QLatin1String(key::kFormat), Quoted(formatName), format);
    if (format.toString() != formatName)
        return Fail(
            error, QLatin1String(key::kFormat),
            QStringLiteral("%1 is not an Orvane memory image").arg(Quoted(format.toString())));

    const QString versionKey = QLatin1String(key::kVersion);
    if (!root.contains(versionKey))
        return Fail(error, {}, QStringLiteral("version is missing"));
    double version = 0;
    if (!ReadWholeNumber(root.value(versionKey), versionKey, version, error))
        return false;
    if (version != kVersion)
        return Fail(error, versionKey,
                    QStringLiteral("%1 is not supported (this program reads version %2)")
                        .arg(version)
                        .arg(kVersion));
    return true;
}

bool ReadStatus(const QJsonValue& v, ImageSnapshot& s, QString& error)
{
    constexpr uint32_t kKnown = PlcImage::kStatusBatteryOk | PlcImage::kStatusStop;
    const QString where = QLatin1String(key::kStatus);
    uint32_t status = 0;
    if (!ReadHexField(v, where, QStringLiteral("byte"), 0, 0xFF, 2, status, error))
        return false;
    if (status & ~kKnown)
        return Fail(error, where,
                    QStringLiteral("%1 has bits other than 08 (battery OK) and 40 (STOP)")
                        .arg(Quoted(v.toString().trimmed())));
    s.batteryOk = (status & PlcImage::kStatusBatteryOk) != 0;
    s.running = (status & PlcImage::kStatusStop) == 0;
    return true;
}

bool ReadBases(const QJsonValue& v, ImageSnapshot& s, QString& error)
{
    const QString where = QLatin1String(key::kBases);
    if (!v.isObject())
        return Expected(error, where, QStringLiteral("an object"), v);
    const QJsonObject bases = v.toObject();
    Keys keys = {kCellAreas[0].key, kCellAreas[1].key, kCellAreas[2].key,
                 kCellAreas[3].key, kCellAreas[4].key, key::kSystem};
    if (!CheckKeys(bases, keys, where, error))
        return false;
    for (const CellArea& area : kCellAreas)
        if (!ReadAddress(bases.value(QLatin1String(area.key)), Join(where, area.key),
                         s.bases.*area.base, error))
            return false;
    return ReadAddress(bases.value(QLatin1String(key::kSystem)), Join(where, key::kSystem),
                       s.bases.system, error);
}

bool ReadBlock(const QJsonValue& v, int db, ImageSnapshot& s, QString& error)
{
    const QString where = QStringLiteral("DB %1").arg(db);
    if (!v.isObject())
        return Expected(error, where, QStringLiteral("an object"), v);
    const QJsonObject block = v.toObject();
    if (!CheckKeys(block, {key::kBlock, key::kExists, key::kLength, key::kStart, key::kWords},
                   where, error))
        return false;
    double number = 0;
    if (!ReadWholeNumber(block.value(QLatin1String(key::kBlock)), Join(where, key::kBlock), number,
                         error))
        return false;
    if (number != db)
        return Fail(error, QLatin1String(key::kDataBlocks),
                    QStringLiteral("entry %1 is block %2 (the blocks are listed in order, "
                                   "0 to %3)")
                        .arg(db)
                        .arg(number)
                        .arg(PlcImage::kDbCount - 1));
    DbDirectoryEntry& entry = s.directory[db];
    const QJsonValue exists = block.value(QLatin1String(key::kExists));
    if (!exists.isBool())
        return Expected(error, Join(where, key::kExists), QStringLiteral("true or false"), exists);
    entry.exists = exists.toBool() ? 1 : 0;
    int length = 0;
    if (!ReadCount(block.value(QLatin1String(key::kLength)), Join(where, key::kLength), 1,
                   PlcImage::kDbWords, length, error))
        return false;
    entry.length = length;
    if (!ReadAddress(block.value(QLatin1String(key::kStart)), Join(where, key::kStart), entry.start,
                     error))
        return false;
    return ReadRows(block.value(QLatin1String(key::kWords)), where, true, true, s.dbWords[db],
                    error);
}

bool ReadBlocks(const QJsonValue& v, ImageSnapshot& s, QString& error)
{
    const QString where = QLatin1String(key::kDataBlocks);
    if (!v.isArray())
        return Expected(error, where, QStringLiteral("an array of data blocks"), v);
    const QJsonArray blocks = v.toArray();
    if (blocks.size() != PlcImage::kDbCount)
        return Fail(error, where,
                    QStringLiteral("%1 blocks (the image has %2, DB 0 to DB %3)")
                        .arg(blocks.size())
                        .arg(PlcImage::kDbCount)
                        .arg(PlcImage::kDbCount - 1));
    for (int db = 0; db < PlcImage::kDbCount; ++db)
        if (!ReadBlock(blocks[db], db, s, error))
            return false;
    return true;
}

bool ReadRoot(const QJsonObject& root, ImageSnapshot& s, QString& error)
{
    if (!ReadFormat(root, error))
        return false;
    Keys keys = {key::kBases,       key::kDataBlocks,  key::kFormat,      key::kStatus,
                 key::kVersion,     kCellAreas[0].key, kCellAreas[1].key, kCellAreas[2].key,
                 kCellAreas[3].key, kCellAreas[4].key};
    if (!CheckKeys(root, keys, {}, error))
        return false;
    if (!ReadStatus(root.value(QLatin1String(key::kStatus)), s, error) ||
        !ReadBases(root.value(QLatin1String(key::kBases)), s, error) ||
        !ReadBlocks(root.value(QLatin1String(key::kDataBlocks)), s, error))
        return false;
    for (int n = 0; n < static_cast<int>(std::size(kCellAreas)); ++n) {
        const CellArea& area = kCellAreas[n];
        if (!ReadRows(root.value(QLatin1String(area.key)), QLatin1String(area.key), area.word,
                      false, CellsOf(s, n), error))
            return false;
    }
    return true;
}

// "DB 5" for the entries of the data blocks, the keys joined by ": " for
// everything else; empty at the top level.
QString PathText(const std::vector<JsonPathStep>& path)
{
    QString text;
    for (size_t i = 0; i < path.size(); ++i) {
        const JsonPathStep& step = path[i];
        QString part;
        if (i == 1 && path[0].key == QLatin1String(key::kDataBlocks) && step.index >= 0) {
            text = QStringLiteral("DB %1").arg(step.index);
            continue;
        }
        part = step.index >= 0 ? QStringLiteral("entry %1").arg(step.index) : step.key;
        text = text.isEmpty() ? part : text + QStringLiteral(": ") + part;
    }
    return text;
}

// The offset just past the last character that is not white space.
qsizetype EndOfText(const QByteArray& data)
{
    qsizetype end = data.size();
    while (end > 0 && (data[end - 1] == ' ' || data[end - 1] == '\t' || data[end - 1] == '\n' ||
                       data[end - 1] == '\r'))
        --end;
    return end;
}

// Control characters other than tab and line ends do not occur in text.
std::optional<qsizetype> FirstBinaryByte(const QByteArray& data)
{
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            return i;
    }
    return std::nullopt;
}

} // namespace

std::optional<ImageSnapshot> ParseImage(const QByteArray& data, QString& error)
{
    if (data.size() > kMaxFileBytes) {
        Fail(error, {},
             QStringLiteral("the file is too large (%1 bytes; a memory image file has at most %2)")
                 .arg(data.size())
                 .arg(kMaxFileBytes));
        return std::nullopt;
    }
    if (data.trimmed().isEmpty()) {
        Fail(error, {}, QStringLiteral("the file is empty"));
        return std::nullopt;
    }
    if (const std::optional<qsizetype> at = FirstBinaryByte(data)) {
        Fail(error, PositionText(data, *at),
             QStringLiteral("the file is not text (it holds the byte %1)")
                 .arg(static_cast<unsigned char>(data[*at]), 2, 16, QLatin1Char('0')));
        return std::nullopt;
    }

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        QString what = parseError.errorString();
        if (parseError.offset >= EndOfText(data))
            what += QStringLiteral(" (the file ends early)");
        Fail(error, PositionText(data, parseError.offset), what);
        return std::nullopt;
    }
    if (!document.isObject()) {
        Fail(error, {},
             QStringLiteral("the file holds an array, not the object of a memory image"));
        return std::nullopt;
    }
    if (const std::optional<DuplicateKey> duplicate = FindDuplicateKey(data)) {
        Fail(error, PathText(duplicate->path),
             QStringLiteral("key %1 appears twice (%2)")
                 .arg(Quoted(duplicate->key), PositionText(data, duplicate->offset)));
        return std::nullopt;
    }

    auto snapshot = std::make_optional<ImageSnapshot>();
    if (!ReadRoot(document.object(), *snapshot, error))
        return std::nullopt;
    return snapshot;
}
