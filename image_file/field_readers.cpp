// The field readers. Text quoted from the file goes through Quoted, so a
// message stays on one line whatever the file holds.
#include "image_file/field_readers.h"

#include <QJsonArray>
#include <QLatin1String>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

#include "image_file/image_file_keys.h"
#include "image_file/message_text.h"

namespace image_file {

namespace {

QString Kind(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

// A run of hexadecimal digits, saturated above 0x10000 so that a long run
// cannot overflow; nothing for an empty run or any other character.
std::optional<uint32_t> ReadHex(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    uint32_t value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const int digit = u >= u'0' && u <= u'9'   ? u - u'0'
                          : u >= u'a' && u <= u'f' ? u - u'a' + 10
                          : u >= u'A' && u <= u'F' ? u - u'A' + 10
                                                   : -1;
        if (digit < 0)
            return std::nullopt;
        value = std::min<uint32_t>(value * 16 + digit, 0x10000);
    }
    return value;
}

QString HexRange(uint32_t low, uint32_t high, int digits)
{
    auto hex = [digits](uint32_t v) {
        return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper();
    };
    return hex(low) + QStringLiteral(" to ") + hex(high);
}

} // namespace

bool Fail(QString& error, const QString& where, const QString& what)
{
    error = where.isEmpty() ? what : where + QStringLiteral(": ") + what;
    return false;
}

bool Expected(QString& error, const QString& where, const QString& what, const QJsonValue& v)
{
    return Fail(error, where, QStringLiteral("expected %1, found %2").arg(what, Kind(v)));
}

bool CheckKeys(const QJsonObject& object, Keys keys, const QString& where, QString& error)
{
    for (const QString& present : object.keys()) {
        bool known = false;
        for (const char* k : keys)
            known = known || present == QLatin1String(k);
        if (!known)
            return Fail(error, where, QStringLiteral("unknown key %1").arg(Quoted(present)));
    }
    for (const char* k : keys)
        if (!object.contains(QLatin1String(k)))
            return Fail(error, where, QStringLiteral("%1 is missing").arg(QLatin1String(k)));
    return true;
}

QString Join(const QString& where, const char* key)
{
    return where.isEmpty() ? QString::fromLatin1(key)
                           : where + QStringLiteral(": ") + QLatin1String(key);
}

bool ReadHexField(const QJsonValue& v, const QString& where, const QString& what, uint32_t low,
                  uint32_t high, int digits, uint32_t& out, QString& error)
{
    if (!v.isString())
        return Expected(error, where, QStringLiteral("a hexadecimal %1 in a string").arg(what), v);
    const QString text = v.toString().trimmed();
    const std::optional<uint32_t> value = ReadHex(text);
    if (!value)
        return Fail(error, where,
                    QStringLiteral("%1 is not a hexadecimal %2").arg(Quoted(text), what));
    if (*value < low || *value > high)
        return Fail(error, where,
                    QStringLiteral("%1 is out of range (%2)")
                        .arg(Quoted(text), HexRange(low, high, digits)));
    out = *value;
    return true;
}

bool ReadAddress(const QJsonValue& v, const QString& where, int32_t& out, QString& error)
{
    uint32_t value = 0;
    if (!ReadHexField(v, where, QStringLiteral("address"), 1, 0xFFFF, 4, value, error))
        return false;
    out = static_cast<int32_t>(value);
    return true;
}

bool ReadWholeNumber(const QJsonValue& v, const QString& where, double& out, QString& error)
{
    if (!v.isDouble())
        return Expected(error, where, QStringLiteral("a number"), v);
    out = v.toDouble();
    if (out != std::floor(out))
        return Fail(error, where, QStringLiteral("%1 is not a whole number").arg(out));
    return true;
}

bool ReadCount(const QJsonValue& v, const QString& where, int low, int high, int& out,
               QString& error)
{
    double d = 0;
    if (!ReadWholeNumber(v, where, d, error))
        return false;
    if (d < low || d > high)
        return Fail(error, where,
                    QStringLiteral("%1 is out of range (%2 to %3)").arg(d).arg(low).arg(high));
    out = static_cast<int>(d);
    return true;
}

bool ReadRows(const QJsonValue& v, const QString& where, bool word, bool block,
              std::span<int32_t> cells, QString& error)
{
    const QString unit = word ? QStringLiteral("word") : QStringLiteral("byte");
    const QString values = block ? QStringLiteral("words") : QStringLiteral("values");
    const qsizetype rowCount = static_cast<qsizetype>(cells.size()) / kValuesPerRow;
    if (!v.isArray())
        return Expected(error, where, QStringLiteral("an array of rows"), v);
    const QJsonArray rows = v.toArray();
    if (rows.size() != rowCount)
        return Fail(error, where,
                    QStringLiteral("%1 rows (the %2 has %3 %4 in %5 rows of %6)")
                        .arg(rows.size())
                        .arg(block ? QStringLiteral("block") : QStringLiteral("area"))
                        .arg(cells.size())
                        .arg(values)
                        .arg(rowCount)
                        .arg(kValuesPerRow));
    const uint32_t high = word ? 0xFFFF : 0xFF;
    for (qsizetype r = 0; r < rowCount; ++r) {
        const qsizetype first = r * kValuesPerRow;
        const QString row = QStringLiteral("%1: row %2 (%3 %4 to %5)")
                                .arg(where)
                                .arg(r + 1)
                                .arg(values)
                                .arg(first)
                                .arg(first + kValuesPerRow - 1);
        if (!rows[r].isString())
            return Expected(
                error, row,
                QStringLiteral("a string of %1 hexadecimal %2s").arg(kValuesPerRow).arg(unit),
                rows[r]);
        const QStringList tokens =
            rows[r].toString().simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (tokens.size() != kValuesPerRow)
            return Fail(
                error, row,
                QStringLiteral("%1 values (a row holds %2)").arg(tokens.size()).arg(kValuesPerRow));
        for (qsizetype i = 0; i < kValuesPerRow; ++i) {
            const std::optional<uint32_t> value = ReadHex(tokens[i]);
            if (!value)
                return Fail(
                    error, row,
                    QStringLiteral("%1 is not a hexadecimal %2").arg(Quoted(tokens[i]), unit));
            if (*value > high)
                return Fail(error, row,
                            QStringLiteral("%1 is out of range (a %2 is %3)")
                                .arg(Quoted(tokens[i]), unit, HexRange(0, high, word ? 4 : 2)));
            cells[first + i] = static_cast<int32_t>(*value);
        }
    }
    return true;
}

} // namespace image_file
