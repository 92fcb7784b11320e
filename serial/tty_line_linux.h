// The line state of a tty (framing, parity, handshake, baud rate), set
// through the kernel's own termios2 record. Kept in its own file because
// <asm/termbits.h> defines a struct termios of its own that clashes with the
// C library's <termios.h>; termios2 is used rather than tcsetattr because it
// takes any baud rate (BOTHER) and because the C library fails tcsetattr
// with EINVAL on a pty, which keeps 8 data bits without parity whatever it
// is asked for.
#pragma once

#include <cstdint>

namespace tty {

// The line configuration the port asks for.
struct LineSettings
{
    uint32_t baudRate = 9600;
    uint8_t parity = 0;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t dataBits = 8;   // 4 to 8
    uint8_t stopBits = 0;   // 0 one, 1 one and a half, 2 two
    int32_t rtsControl = 1; // 0 off, 1 on, 2 handshake
    int32_t dtrControl = 1; // 0 off, 1 on, 2 handshake
    bool ctsFlow = false;
    bool dsrFlow = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
};

enum class LineStep
{
    Read,  // the current state could not be read
    Write, // the settings were refused or could not be written
};

// Reads the tty's line state, turns it into a raw line with settings
// (VMIN = VTIME = 0) and writes it back. EINVAL (step Write) for what a
// Linux tty cannot do: 4 data bits, one and a half stop bits, a DTR/DSR
// handshake or output flow on DSR, and codes out of range. Every other
// field keeps the value read. 0 or the errno value; step tells where.
int configureLine(int fd, const LineSettings& settings, LineStep& step);
// The output baud rate the tty reports (any rate). 0 or the errno value.
int readBaudRate(int fd, uint32_t& baudRate);

} // namespace tty
