// The per-user port mapping: a text value "COMn" under "Software\ORVANE\Ports"
// names the device that is opened for COMn in place of the default one.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

class SettingsStore;

using DeviceResolver = std::function<std::string(const std::string& deviceName)>;

// Longest mapped device path taken from the store.
inline constexpr std::size_t kMaxMappedDevicePath = 255;

// The device to open for deviceName. For "COM1" .. "COM255" the store's text
// value of that name is used when, with surrounding blanks removed, it is an
// absolute path of at most kMaxMappedDevicePath bytes without control
// characters; otherwise (no key, no value, an empty or unusable value, a
// store error, any other deviceName) the answer is fallback(deviceName).
std::string ResolvePortDevice(SettingsStore& store, const std::string& deviceName,
                              const DeviceResolver& fallback);
