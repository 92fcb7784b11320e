// Writing a memory image file. QJsonDocument writes object keys in sorted
// order and one array element per line, so the same image always gives the
// same bytes and a diff of two saves shows only the rows that changed.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "image_file/image_file.h"
#include "image_file/image_file_keys.h"

using namespace image_file;

namespace {

QString Hex(uint32_t value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString Address(int32_t address)
{
    return Hex(static_cast<uint32_t>(std::clamp<int32_t>(address, 1, 0xFFFF)), 4);
}

QJsonArray Rows(std::span<const int32_t> cells, bool word)
{
    const uint32_t mask = word ? 0xFFFF : 0xFF;
    const int digits = word ? 4 : 2;
    QJsonArray rows;
    for (size_t first = 0; first < cells.size(); first += kValuesPerRow) {
        QString row;
        for (size_t i = first; i < first + kValuesPerRow && i < cells.size(); ++i) {
            if (i > first)
                row += QLatin1Char(' ');
            row += Hex(static_cast<uint32_t>(cells[i]) & mask, digits);
        }
        rows.append(row);
    }
    return rows;
}

QJsonObject Block(const ImageSnapshot& s, int db)
{
    const DbDirectoryEntry& entry = s.directory[db];
    QJsonObject block;
    block[key::kBlock] = db;
    block[key::kExists] = entry.exists != 0;
    block[key::kLength] = std::clamp<int32_t>(entry.length, 1, PlcImage::kDbWords);
    block[key::kStart] = Address(entry.start);
    block[key::kWords] = Rows(s.dbWords[db], true);
    return block;
}

} // namespace

QByteArray FormatImage(const ImageSnapshot& s)
{
    QJsonObject root;
    root[key::kFormat] = QLatin1String(kFormatName);
    root[key::kVersion] = kVersion;

    uint32_t status = 0;
    if (s.batteryOk)
        status |= PlcImage::kStatusBatteryOk;
    if (!s.running)
        status |= PlcImage::kStatusStop;
    root[key::kStatus] = Hex(status, 2);

    QJsonObject bases;
    for (const CellArea& area : kCellAreas)
        bases[area.key] = Address(s.bases.*area.base);
    bases[key::kSystem] = Address(s.bases.system);
    root[key::kBases] = bases;

    QJsonArray blocks;
    for (int db = 0; db < PlcImage::kDbCount; ++db)
        blocks.append(Block(s, db));
    root[key::kDataBlocks] = blocks;

    for (int n = 0; n < static_cast<int>(std::size(kCellAreas)); ++n)
        root[kCellAreas[n].key] = Rows(CellsOf(s, n), kCellAreas[n].word);

    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
