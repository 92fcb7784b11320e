// Readers of the kinds of field a memory image file holds: each checks one
// JSON value and, when it is wrong, sets error to one line that starts with
// where (the field's name, e.g. "DB 5: start") and says what is wrong.
// Each returns false on a fault and leaves out untouched then.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace image_file {

using Keys = std::initializer_list<const char*>;

// Sets error to "where: what" (just what when where is empty); false.
bool Fail(QString& error, const QString& where, const QString& what);
// "expected <what>, found <the kind of v>".
bool Expected(QString& error, const QString& where, const QString& what, const QJsonValue& v);
// where and key joined as a field name.
QString Join(const QString& where, const char* key);

// object holds exactly keys: the first unknown key is reported before the
// first missing one, since a misspelt key is also a missing one and the
// misspelling is the better clue.
bool CheckKeys(const QJsonObject& object, Keys keys, const QString& where, QString& error);

// A hexadecimal string within low..high, shown with digits digits; what
// names the kind of value ("address", "byte").
bool ReadHexField(const QJsonValue& v, const QString& where, const QString& what, uint32_t low,
                  uint32_t high, int digits, uint32_t& out, QString& error);
// A hexadecimal address, 0001 to FFFF.
bool ReadAddress(const QJsonValue& v, const QString& where, int32_t& out, QString& error);
// A JSON number without a fraction.
bool ReadWholeNumber(const QJsonValue& v, const QString& where, double& out, QString& error);
// A whole number within low..high.
bool ReadCount(const QJsonValue& v, const QString& where, int low, int high, int& out,
               QString& error);
// Rows of eight hexadecimal values, exactly as many as fill cells: the
// words of a block (block true), or the words or bytes of an area.
bool ReadRows(const QJsonValue& v, const QString& where, bool word, bool block,
              std::span<int32_t> cells, QString& error);

} // namespace image_file
