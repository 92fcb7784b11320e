// The per-user port mapping: a text value "COMn" under "Software\ORVANE\Ports"
// names the device that is opened for COMn in place of the default one, or
// holds "pty" for a virtual port (a pseudo-terminal pair made on open).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "serial/device_names.h"

class SettingsStore;

// Longest mapped device path taken from the store.
inline constexpr std::size_t kMaxMappedDevicePath = 255;

// The mapped value for a virtual port, and ResolvePortDevice's answer for
// it, is kVirtualPortDevice (serial/device_names.h).

// A stored or given value as the mapping takes it: with surrounding blanks
// (spaces, tabs) removed, either kVirtualPortDevice or an absolute path of
// at most kMaxMappedDevicePath bytes without control characters. Empty for
// anything else.
std::optional<std::string> UsablePortMapping(const std::string& value);

// The usable mapped value of comName ("COM1" .. "COM255"); empty without a
// key, a value or a usable one, on a store error and for any other name.
std::optional<std::string> ReadPortMapping(SettingsStore& store, const std::string& comName);

// The device to open for deviceName: for "COM1" .. "COM255" with a usable
// mapped value (see UsablePortMapping), that value (kVirtualPortDevice for
// a virtual port); otherwise, including a store error and any other
// deviceName, fallback(deviceName).
std::string ResolvePortDevice(SettingsStore& store, const std::string& deviceName,
                              const DeviceResolver& fallback);

// Stores devicePath as comName's device, in the form UsablePortMapping gives
// it. Throws SettingsError, with nothing written, when comName is not
// "COM1" .. "COM255", when devicePath is not usable, or when the store cannot
// be opened; and when the write fails.
void WritePortMapping(SettingsStore& store, const std::string& comName,
                      const std::string& devicePath);

// Removes comName's mapping, so that it opens its default device again;
// nothing to do when there is none. Throws SettingsError for a name that is
// not "COM1" .. "COM255" and when the store cannot be written.
void RemovePortMapping(SettingsStore& store, const std::string& comName);
