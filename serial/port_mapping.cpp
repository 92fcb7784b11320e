// Per-user port mapping. The stored values are the user's (or anybody's)
// text, so only a plain absolute path or the virtual port's word is taken
// from them, and the writer stores nothing the reader would refuse.
#include "serial/port_mapping.h"

#include "serial/settings_keys.h"
#include "serial/settings_store.h"

#include <algorithm>

namespace {

bool isMappablePortName(const std::string& name)
{
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0 || name[3] == '0')
        return false;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 255;
}

void requirePortName(const std::string& comName)
{
    if (!isMappablePortName(comName))
        throw SettingsError("Only the ports COM1 to COM255 can be mapped to a device");
}

} // namespace

std::optional<std::string> UsablePortMapping(const std::string& value)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const auto first = std::find_if_not(value.begin(), value.end(), blank);
    const auto last = std::find_if_not(value.rbegin(), value.rend(), blank).base();
    if (first >= last)
        return std::nullopt;
    std::string path(first, last);
    if (path == kVirtualPortDevice)
        return path;
    if (path.front() != '/' || path.size() > kMaxMappedDevicePath)
        return std::nullopt;
    const bool control = std::any_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
    if (control)
        return std::nullopt;
    return path;
}

std::optional<std::string> ReadPortMapping(SettingsStore& store, const std::string& comName)
{
    if (!isMappablePortName(comName))
        return std::nullopt;
    try {
        const auto key = store.OpenKey(settings_keys::kPorts, false);
        if (!key)
            return std::nullopt;
        const auto value = key->ReadText(comName);
        if (!value)
            return std::nullopt;
        return UsablePortMapping(*value);
    } catch (const SettingsError&) {
        return std::nullopt; // an unreadable mapping is no mapping
    }
}

std::string ResolvePortDevice(SettingsStore& store, const std::string& deviceName,
                              const DeviceResolver& fallback)
{
    if (auto device = ReadPortMapping(store, deviceName))
        return *device;
    return fallback ? fallback(deviceName) : deviceName;
}

void WritePortMapping(SettingsStore& store, const std::string& comName,
                      const std::string& devicePath)
{
    requirePortName(comName);
    const auto value = UsablePortMapping(devicePath);
    if (!value)
        // The refused text is not echoed: it may hold control characters.
        throw SettingsError("Not a device " + comName + " can open: it takes an absolute path of at most "
                            + std::to_string(kMaxMappedDevicePath)
                            + " bytes without control characters, or \"" + kVirtualPortDevice + "\"");
    const auto key = store.OpenKey(settings_keys::kPorts, true);
    if (!key)
        throw SettingsError("Cannot open the settings to store the device of " + comName);
    key->WriteText(comName, *value);
}

void RemovePortMapping(SettingsStore& store, const std::string& comName)
{
    requirePortName(comName);
    const auto key = store.OpenKey(settings_keys::kPorts, false);
    if (key && key->ValueExists(comName))
        key->DeleteValue(comName);
}
