// Reads strings from the version record of a program file.
#pragma once

class QString;

// The value of the string `key` of the version record in `fileName`: the
// first entry of the record's translation table selects the string table
// "\StringFileInfo\<language><code page>\" (both as four upper-case
// hexadecimal digits), in which `key` is looked up. The empty text when the
// file cannot be read, carries no record, or the record has no translation
// table or no such string.
QString VersionInfoString(const QString& fileName, const QString& key);
