// UART presence from sysfs, or from TIOCGSERIAL where sysfs says nothing.
#include "devices/uart_probe_linux.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

namespace {

// The type file holds a decimal number and a newline. It is read without
// blocking, and only when it is a plain file, whatever stands in its place.
std::optional<long> sysfsType(const std::string& sysRoot, const std::string& name)
{
    const std::string path = sysRoot + "/class/tty/" + name + "/type";
    int fd = -1;
    do {
        fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;
    struct stat status
    {
    };
    char buffer[16];
    ssize_t got = -1;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        do {
            got = read(fd, buffer, sizeof buffer);
        } while (got < 0 && errno == EINTR);
    }
    close(fd);
    if (got <= 0)
        return std::nullopt;
    std::string text(buffer, static_cast<std::size_t>(got));
    if (text.back() == '\n')
        text.pop_back();
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    long type = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        type = type * 10 + (c - '0');
    }
    return type;
}

UartAnswer ioctlType(const std::string& devicePath)
{
    int fd = -1;
    do {
        fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        // The 8250 driver refuses to open a port without a UART.
        return errno == EIO || errno == ENXIO || errno == ENODEV ? UartAnswer::Absent : UartAnswer::Unknown;
    serial_struct info{};
    const int result = ioctl(fd, TIOCGSERIAL, &info);
    close(fd);
    if (result != 0)
        return UartAnswer::Unknown;
    return info.type == PORT_UNKNOWN ? UartAnswer::Absent : UartAnswer::Present;
}

} // namespace

UartAnswer ProbeUart(const std::string& sysRoot, const std::string& name,
                     const std::string& devicePath, bool mayOpen)
{
    if (const auto type = sysfsType(sysRoot, name))
        return *type == 0 ? UartAnswer::Absent : UartAnswer::Present;
    return mayOpen ? ioctlType(devicePath) : UartAnswer::Unknown;
}
