// The serial devices of this machine, as the settings dialog offers them:
// the adapters under /dev/serial/by-id (by their stable link names, which
// carry the adapter's make and serial number and survive renumbering),
// the /dev/ttyUSB* and /dev/ttyACM* nodes no such link leads to, the
// /dev/ttyS* nodes with a UART behind them, and a virtual port.
//
// Every candidate found stays in the list; one that cannot be opened now
// says why in plain words (a missing link target, no permission, not a
// device). Only ttyS nodes without a UART, and ttys already listed through
// a by-id link, are left out.
#pragma once

#include "devices/user_identity.h"

#include <string>
#include <vector>

// In the order the list shows them.
enum class SerialDeviceKind { Adapter, UsbSerial, UsbModem, Uart, Virtual };

struct SerialDevice
{
    SerialDeviceKind kind = SerialDeviceKind::Virtual;
    // The link or node name ("usb-Maker_Cable_A1B2-if00-port0", "ttyUSB0",
    // "ttyS0") or "Virtual port (pty)".
    std::string name;
    // What the port mapping stores: the by-id link's path, the node's path,
    // or kVirtualPortDevice.
    std::string path;
    // For a by-id link, the tty it leads to ("/dev/ttyUSB0"), its target
    // resolved against the link's folder without following it further.
    std::string tty;
    // Why it cannot be opened now; empty when it can.
    std::string problem;
    // Anything else worth knowing, e.g. that the UART could not be probed.
    std::string note;

    bool operator==(const SerialDevice&) const = default;
};

struct DeviceScanOptions
{
    std::string devRoot = "/dev";
    std::string sysRoot = "/sys";
    UserIdentity user = CurrentUserIdentity();
};

// Kinds in the order of SerialDeviceKind, names in natural order within a
// kind (ttyUSB2 before ttyUSB10), the virtual port last. A folder that is
// missing or unreadable contributes nothing; nothing is opened but a ttyS
// node whose sysfs entry says nothing and that the user may open (see
// ProbeUart).
std::vector<SerialDevice> ListSerialDevices(const DeviceScanOptions& options = {});
