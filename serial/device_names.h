// How a port's device name ("COM1", as the link settings form it) becomes
// the path of a tty. The port asks a resolver; the program installs one
// that consults the per-user port mapping first and falls back to this.
#pragma once

#include <functional>
#include <string>

// The device "path" that stands for the built-in virtual port: the port
// makes a pseudo-terminal pair instead of opening a device.
inline constexpr const char* kVirtualPortDevice = "pty";

// Gives the device path for a device name, or an empty path when the name
// cannot be resolved (the port then fails to open).
using DeviceResolver = std::function<std::string(const std::string& deviceName)>;

// "COM1".."COM255" (upper case, no leading zeros) give /dev/ttyS0../dev/ttyS254;
// a name that begins with "/" is taken as the path itself; "pty" is the
// virtual port (kVirtualPortDevice); anything else gives an empty path.
std::string DefaultDevicePath(const std::string& deviceName);
