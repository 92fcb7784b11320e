// Link settings: lists, mapping table, and load and save in the settings store.
#include "serial/link_settings.h"

#include "serial/settings_keys.h"
#include "serial/settings_store.h"

#include <array>

namespace {

struct Choice
{
    const char* text;
    uint32_t value;
};

constexpr std::array<Choice, 7> kBaudRates{{
    {"1200", 1200}, {"2400", 2400}, {"9600", 9600}, {"19200", 19200},
    {"38400", 38400}, {"57600", 57600}, {"115200", 115200},
}};
// List order differs from the port's codes (0 none, 1 odd, 2 even).
constexpr std::array<Choice, 3> kParities{{{"None", 0}, {"Even", 2}, {"Odd", 1}}};
constexpr std::array<Choice, 2> kDataBits{{{"7", 7}, {"8", 8}}};
// The second entry means code 2 (two stop bits); 1 would be one and a half.
constexpr std::array<Choice, 2> kStopBits{{{"1", 0}, {"2", 2}}};

struct Field
{
    const char* name;
    int32_t LinkSettings::*member;
};

constexpr std::array<Field, 5> kFields{{
    {settings_keys::kCommPort, &LinkSettings::CommPort},
    {settings_keys::kBaudRate, &LinkSettings::BaudRate},
    {settings_keys::kParity, &LinkSettings::Parity},
    {settings_keys::kDataBits, &LinkSettings::DataBits},
    {settings_keys::kStopBits, &LinkSettings::StopBits},
}};

template <std::size_t N>
std::vector<std::string> texts(const std::array<Choice, N>& choices)
{
    std::vector<std::string> result;
    for (const auto& choice : choices)
        result.emplace_back(choice.text);
    return result;
}

template <std::size_t N>
uint32_t pick(const std::array<Choice, N>& choices, int32_t index, int32_t fallback)
{
    if (index < 0 || index >= static_cast<int32_t>(N))
        index = fallback;
    return choices[static_cast<std::size_t>(index)].value;
}

} // namespace

std::vector<std::string> LinkListEntries(LinkList list)
{
    switch (list) {
    case LinkList::CommPort: {
        std::vector<std::string> ports;
        for (int32_t n = 1; n <= kCommPortCount; ++n)
            ports.push_back("COM" + std::to_string(n));
        return ports;
    }
    case LinkList::BaudRate:
        return texts(kBaudRates);
    case LinkList::Parity:
        return texts(kParities);
    case LinkList::DataBits:
        return texts(kDataBits);
    case LinkList::StopBits:
        return texts(kStopBits);
    }
    return {};
}

PortParams ToPortParams(const LinkSettings& settings)
{
    const LinkSettings defaults;
    PortParams params;
    const int32_t port = (settings.CommPort >= 0 && settings.CommPort < kCommPortCount)
                             ? settings.CommPort
                             : defaults.CommPort;
    params.deviceName = "COM" + std::to_string(port + 1);
    params.baudRate = pick(kBaudRates, settings.BaudRate, defaults.BaudRate);
    params.parity = static_cast<uint8_t>(pick(kParities, settings.Parity, defaults.Parity));
    params.dataBits = static_cast<uint8_t>(pick(kDataBits, settings.DataBits, defaults.DataBits));
    params.stopBits = static_cast<uint8_t>(pick(kStopBits, settings.StopBits, defaults.StopBits));
    return params;
}

bool LoadLinkSettings(SettingsStore& store, LinkSettings& settings,
                      std::vector<std::string>* problems)
{
    const auto key = store.OpenKey(settings_keys::kLinkSettings, true);
    if (!key)
        return false;
    for (const auto& field : kFields)
        if (!key->ValueExists(field.name))
            key->WriteInteger(field.name, settings.*field.member);
    const LinkSettings defaults;
    for (const auto& field : kFields) {
        try {
            settings.*field.member = key->ReadInteger(field.name);
        } catch (const SettingsError& error) {
            std::string message = error.what();
            message += " (key ";
            message += settings_keys::kLinkSettings;
            const std::string where = store.Location();
            if (!where.empty())
                message += " in " + where;
            message += ")";
            if (!problems)
                throw SettingsError(message);
            problems->push_back(message);
            settings.*field.member = defaults.*field.member;
        }
    }
    return true;
}

bool SaveLinkSettings(SettingsStore& store, const LinkSettings& settings)
{
    const auto key = store.OpenKey(settings_keys::kLinkSettings, true);
    if (!key)
        return false;
    for (const auto& field : kFields)
        key->WriteInteger(field.name, settings.*field.member);
    return true;
}
