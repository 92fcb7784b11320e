// INI-backed settings store on QSettings.
#include "ui/ini_settings_store.h"

#include <QByteArray>
#include <QSettings>
#include <QVariant>

#include <charconv>
#include <limits>

namespace {

const char* const kOrganization = "ORVANE";
const char* const kApplication = "orvane";

QString groupOf(const std::string& path)
{
    QString group = QString::fromStdString(path);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group;
}

SettingsError invalidType(const std::string& name)
{
    return SettingsError("Invalid data type for '" + name + "'");
}

// A decimal text: an optional minus, then digits only, within int32.
std::optional<int32_t> parseInteger(const QString& text)
{
    const std::string digits = text.toStdString();
    int32_t value = 0;
    const char* const end = digits.data() + digits.size();
    const auto [rest, error] = std::from_chars(digits.data(), end, value, 10);
    if (error != std::errc() || rest != end || digits.empty())
        return std::nullopt;
    return value;
}

template <typename T>
std::optional<int32_t> inRange(T value)
{
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<int32_t> toInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::LongLong:
        return inRange(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > static_cast<qulonglong>(std::numeric_limits<int32_t>::max()))
            return std::nullopt;
        return static_cast<int32_t>(unsignedValue);
    }
    case QMetaType::QString:
        return parseInteger(value.toString());
    default:
        return std::nullopt;
    }
}

class IniSettingsKey : public SettingsKey
{
public:
    explicit IniSettingsKey(std::unique_ptr<QSettings> settings)
        : m_settings(std::move(settings))
    {
    }

    bool ValueExists(const std::string& name) override
    {
        return m_settings->contains(QString::fromStdString(name));
    }

    int32_t ReadInteger(const std::string& name) override
    {
        const auto value = toInteger(m_settings->value(QString::fromStdString(name)));
        if (!value)
            throw invalidType(name);
        return *value;
    }

    void WriteInteger(const std::string& name, int32_t value) override
    {
        m_settings->setValue(QString::fromStdString(name), QVariant(static_cast<int>(value)));
        commit(name);
    }

    std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) override
    {
        const QVariant value = m_settings->value(QString::fromStdString(name));
        if (value.typeId() != QMetaType::QByteArray)
            return std::nullopt;
        const QByteArray bytes = value.toByteArray();
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }

    void WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override
    {
        const QByteArray bytes(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()));
        m_settings->setValue(QString::fromStdString(name), bytes);
        commit(name);
    }

    std::optional<std::string> ReadText(const std::string& name) override
    {
        const QVariant value = m_settings->value(QString::fromStdString(name));
        if (value.typeId() != QMetaType::QString)
            return std::nullopt;
        return value.toString().toStdString();
    }

    void WriteText(const std::string& name, const std::string& value) override
    {
        m_settings->setValue(QString::fromStdString(name), QString::fromStdString(value));
        commit(name);
    }

    // QSettings writes no group that holds nothing, so the key's section
    // leaves the file with its last value.
    void DeleteValue(const std::string& name) override
    {
        if (name.empty())
            return; // QSettings would take "" for the whole group
        m_settings->remove(QString::fromStdString(name));
        commit(name);
    }

private:
    // Every write goes to the file at once, so a failed one is reported
    // where it happened rather than lost at exit.
    void commit(const std::string& name)
    {
        m_settings->sync();
        if (m_settings->status() != QSettings::NoError)
            throw SettingsError("Cannot write '" + name + "' to " + m_settings->fileName().toStdString());
    }

    std::unique_ptr<QSettings> m_settings;
};

} // namespace

IniSettingsStore::IniSettingsStore()
    : m_filePath(QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganization, kApplication).fileName())
{
}

IniSettingsStore::IniSettingsStore(const QString& filePath)
    : m_filePath(filePath)
{
}

std::unique_ptr<SettingsKey> IniSettingsStore::OpenKey(const std::string& path, bool create)
{
    auto settings = std::make_unique<QSettings>(m_filePath, QSettings::IniFormat);
    if (settings->status() != QSettings::NoError)
        return nullptr;
    if (create && !settings->isWritable())
        return nullptr;
    // An INI file has no empty groups: a key exists while it holds something,
    // and creating one is a promise that its first value will make it.
    settings->beginGroup(groupOf(path));
    if (!create && settings->childKeys().isEmpty() && settings->childGroups().isEmpty())
        return nullptr;
    return std::make_unique<IniSettingsKey>(std::move(settings));
}
