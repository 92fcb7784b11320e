// The settings store of the program: an INI file per user, read and written
// through QSettings. Key paths keep their "\" segments as nested groups.
// Integers are written as such and, read back from the file, are texts: a
// value counts as a 32-bit integer when it is a decimal text in int32 range.
// Binary values are byte arrays, texts are strings. Each key opened works on
// its own QSettings, so keys may be used from different threads.
#pragma once

#include "serial/settings_store.h"

#include <QString>

class IniSettingsStore : public SettingsStore
{
public:
    // The per-user file, $XDG_CONFIG_HOME/ORVANE/orvane.ini (~/.config when
    // XDG_CONFIG_HOME is unset).
    IniSettingsStore();
    // An INI file of the caller's choice (tests use a temporary directory).
    explicit IniSettingsStore(const QString& filePath);

    // Null when the file cannot be read (or, with create, cannot be
    // written), and with create false when the key holds nothing.
    std::unique_ptr<SettingsKey> OpenKey(const std::string& path, bool create) override;
    std::string Location() const override { return m_filePath.toStdString(); }

    const QString& FilePath() const { return m_filePath; }

private:
    QString m_filePath;
};
