// Finds a key that appears twice in one JSON object. QJsonDocument keeps
// only the last of them without a word, so a file edited by hand could lose
// a value silently; this scanner reads the raw text instead.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace image_file {

// One step from the document's top level down to a value: a key of an
// object, or an index into an array (key empty).
struct JsonPathStep
{
    QString key;
    int index = -1;
};

struct DuplicateKey
{
    std::vector<JsonPathStep> path; // of the object holding the key twice
    QString key;                    // decoded, escapes resolved
    qsizetype offset = 0;           // byte offset of the second one
};

// The first key that repeats within its object, comparing keys after their
// escapes are decoded ("a" and "\u0061" are the same key). data must be a
// document QJsonDocument has parsed without error; on any other bytes the
// scan still ends without harm, but its answer means nothing.
std::optional<DuplicateKey> FindDuplicateKey(const QByteArray& data);

} // namespace image_file
