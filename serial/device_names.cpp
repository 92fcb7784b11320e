// The built-in mapping of device names to tty paths.
#include "serial/device_names.h"

namespace {
constexpr int kMaxComNumber = 255;
} // namespace

std::string DefaultDevicePath(const std::string& deviceName)
{
    if (!deviceName.empty() && deviceName.front() == '/')
        return deviceName;
    if (deviceName == kVirtualPortDevice)
        return deviceName;
    if (deviceName.size() < 4 || deviceName.size() > 6 || deviceName.compare(0, 3, "COM") != 0)
        return {};
    const std::string digits = deviceName.substr(3);
    if (digits.front() == '0')
        return {};
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return {};
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > kMaxComNumber)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}
