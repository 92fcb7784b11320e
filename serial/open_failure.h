// Why a serial port could not be opened, in words an operator understands,
// from what the port recorded: the device name, the path it resolved to,
// the system's error code and the step that failed.
#pragma once

#include <cstdint>
#include <string>

// "/dev/ttyUSB0: permission denied (ask to be put in the group that owns
// the device)", "COM7: no device of that name", ...
std::string OpenFailureText(const std::string& deviceName, const std::string& devicePath,
                            int32_t lastError, const std::string& lastErrorText);
