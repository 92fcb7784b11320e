// Per-user port mapping. The stored values are the user's (or anybody's)
// text, so only a plain absolute path is taken from them.
#include "serial/port_mapping.h"

#include "serial/settings_keys.h"
#include "serial/settings_store.h"

#include <algorithm>
#include <optional>

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

std::optional<std::string> usablePath(const std::string& value)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const auto first = std::find_if_not(value.begin(), value.end(), blank);
    const auto last = std::find_if_not(value.rbegin(), value.rend(), blank).base();
    if (first >= last)
        return std::nullopt;
    std::string path(first, last);
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

std::optional<std::string> mappedDevice(SettingsStore& store, const std::string& deviceName)
{
    try {
        const auto key = store.OpenKey(settings_keys::kPorts, false);
        if (!key)
            return std::nullopt;
        const auto value = key->ReadText(deviceName);
        if (!value)
            return std::nullopt;
        return usablePath(*value);
    } catch (const SettingsError&) {
        return std::nullopt; // an unreadable mapping is no mapping
    }
}

} // namespace

std::string ResolvePortDevice(SettingsStore& store, const std::string& deviceName,
                              const DeviceResolver& fallback)
{
    if (isMappablePortName(deviceName))
        if (auto device = mappedDevice(store, deviceName))
            return *device;
    return fallback ? fallback(deviceName) : deviceName;
}
