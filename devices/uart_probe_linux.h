// Whether a UART answers behind a ttyS node. A kernel makes 32 or so ttyS
// nodes whether or not there is hardware behind them; Linux tells which
// have a UART in /sys/class/tty/<name>/type (0 for none), readable without
// any permission on the device. Linux only, hence a file of its own.
#pragma once

#include <string>

enum class UartAnswer { Present, Absent, Unknown };

// The sysfs type under sysRoot first; without one (no sysfs, no such file,
// a text that is no number) and only when mayOpen, the TIOCGSERIAL ioctl on
// devicePath, opened without waiting for the line (opening a port may
// toggle its modem lines, hence only as the fallback). Unknown when neither
// tells.
UartAnswer ProbeUart(const std::string& sysRoot, const std::string& name,
                     const std::string& devicePath, bool mayOpen);
