// Scan of the serial devices under a /dev and a /sys root.
#include "devices/serial_devices.h"

#include "devices/device_access.h"
#include "devices/natural_order.h"
#include "devices/uart_probe_linux.h"
#include "serial/port_mapping.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <utility>

namespace {

using NodeId = std::pair<dev_t, ino_t>;

std::string join(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// Calls visit for every name in folder but "." and ".."; nothing when it
// cannot be read.
void forEachName(const std::string& folder, const std::function<void(const std::string&)>& visit)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    for (const auto& name : names)
        visit(name);
}

// The kind of a /dev node name: a known prefix followed by digits only.
std::optional<SerialDeviceKind> nodeKind(const std::string& name)
{
    static const std::pair<const char*, SerialDeviceKind> kPrefixes[] = {
        {"ttyUSB", SerialDeviceKind::UsbSerial},
        {"ttyACM", SerialDeviceKind::UsbModem},
        {"ttyS", SerialDeviceKind::Uart},
    };
    for (const auto& [prefix, kind] : kPrefixes) {
        const std::string_view text(prefix);
        if (name.size() > text.size() && name.compare(0, text.size(), text) == 0
            && std::all_of(name.begin() + static_cast<std::ptrdiff_t>(text.size()), name.end(),
                           [](char c) { return c >= '0' && c <= '9'; }))
            return kind;
    }
    return std::nullopt;
}

std::optional<NodeId> nodeId(const std::string& path)
{
    struct stat status
    {
    };
    if (stat(path.c_str(), &status) != 0 || !S_ISCHR(status.st_mode))
        return std::nullopt;
    return NodeId{status.st_dev, status.st_ino};
}

// Where the link at path leads, resolved against its folder; empty when it
// is no link or cannot be read.
std::optional<std::string> linkTarget(const std::string& folder, const std::string& path)
{
    char buffer[PATH_MAX];
    const ssize_t size = readlink(path.c_str(), buffer, sizeof buffer);
    if (size <= 0 || static_cast<std::size_t>(size) >= sizeof buffer)
        return std::nullopt;
    const std::filesystem::path target(std::string(buffer, static_cast<std::size_t>(size)));
    const std::filesystem::path full = target.is_absolute() ? target : std::filesystem::path(folder) / target;
    return full.lexically_normal().string();
}

void addAdapters(const DeviceScanOptions& options, std::vector<SerialDevice>& devices, std::set<NodeId>& covered)
{
    const std::string folder = join(options.devRoot, "serial/by-id");
    forEachName(folder, [&](const std::string& name) {
        SerialDevice device;
        device.kind = SerialDeviceKind::Adapter;
        device.name = name;
        device.path = join(folder, name);
        struct stat link
        {
        };
        const bool isLink = lstat(device.path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
        if (isLink) {
            const auto target = linkTarget(folder, device.path);
            device.tty = target.value_or(std::string());
            if (!target)
                device.problem = "the link cannot be read";
        }
        if (device.problem.empty()) {
            const DeviceCheck check = CheckDevice(device.path, options.user);
            device.problem = check.problem;
            if (isLink && check.problem == "missing")
                device.problem = "the link leads to " + device.tty + ", which is missing";
        }
        if (const auto id = nodeId(device.path))
            covered.insert(*id);
        devices.push_back(std::move(device));
    });
}

void addNodes(const DeviceScanOptions& options, std::vector<SerialDevice>& devices, const std::set<NodeId>& covered)
{
    forEachName(options.devRoot, [&](const std::string& name) {
        const auto kind = nodeKind(name);
        if (!kind)
            return;
        SerialDevice device;
        device.kind = *kind;
        device.name = name;
        device.path = join(options.devRoot, name);
        if (const auto id = nodeId(device.path); id && covered.count(*id))
            return; // listed under its by-id name
        const DeviceCheck check = CheckDevice(device.path, options.user);
        device.problem = check.problem;
        if (*kind == SerialDeviceKind::Uart && check.present) {
            const UartAnswer uart = ProbeUart(options.sysRoot, name, device.path, check.problem.empty());
            if (uart == UartAnswer::Absent)
                return;
            if (uart == UartAnswer::Unknown)
                device.note = "whether a UART answers could not be told";
        }
        devices.push_back(std::move(device));
    });
}

} // namespace

std::vector<SerialDevice> ListSerialDevices(const DeviceScanOptions& options)
{
    std::vector<SerialDevice> devices;
    std::set<NodeId> covered;
    addAdapters(options, devices, covered);
    addNodes(options, devices, covered);
    std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (NaturalLess(a.name, b.name))
            return true;
        if (NaturalLess(b.name, a.name))
            return false;
        return a.path < b.path;
    });

    SerialDevice virtualPort;
    virtualPort.kind = SerialDeviceKind::Virtual;
    virtualPort.name = "Virtual port (pty)";
    virtualPort.path = kVirtualPortDevice;
    virtualPort.note = "a pseudo-terminal pair made when the port opens";
    devices.push_back(std::move(virtualPort));
    return devices;
}
