// The Linux tty operations of the serial port. They live here, apart from
// the port's locking, retries and failure texts, because they use what only
// Linux offers: flock on the device, TIOCEXCL, the modem-line and queue
// ioctls (TIOCMBIS/TIOCMBIC, FIONREAD, TIOCOUTQ), termios2 for baud rates
// without a Bxxx constant, CMSPAR and eventfd. Every call retries EINTR and
// gives 0 on success or the errno value of the failure.
#pragma once

#include <cstdint>
#include <string>
#include <termios.h>

namespace tty {

// The line configuration the port asks for.
struct LineSettings
{
    uint32_t baudRate = 9600;
    uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t dataBits = 8; // 4 to 8
    uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two
    int32_t rtsControl = 1; // 0 off, 1 on, 2 handshake
    int32_t dtrControl = 1; // 0 off, 1 on, 2 handshake
    bool ctsFlow = false;
    bool dsrFlow = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
};

// Opens path read-write, non-blocking, never as the controlling terminal,
// and takes an advisory exclusive lock on it (EWOULDBLOCK when another
// program or another port object holds it). fd is -1 on failure.
int openDevice(const std::string& path, int& fd);
// ENOTTY when fd is not a character device.
int checkCharDevice(int fd);
// TIOCEXCL / TIOCNXCL: further opens of the tty fail with EBUSY.
int setExclusive(int fd, bool on);
// Reads return at once with what has arrived; writes never block.
int setNonBlocking(int fd);

int readLineState(int fd, termios& state);
// Turns state into a raw line with the given settings (VMIN = VTIME = 0).
// EINVAL for what a Linux tty cannot do: 4 data bits, one and a half stop
// bits, DTR/DSR handshake or output flow on DSR, and codes out of range.
int makeLineState(const LineSettings& settings, termios& state);
// Writes state, then sets a baud rate without a Bxxx constant through
// termios2. Ptys accept every setting but keep 8 data bits without parity.
int writeLineState(int fd, const termios& state, uint32_t baudRate);
// The output baud rate the tty reports (termios2, so any rate shows).
int readBaudRate(int fd, uint32_t& baudRate);

int flush(int fd, bool receiveSide, bool transmitSide);

int setRts(int fd, bool on);
int setDtr(int fd, bool on);
int clearBreak(int fd);
// True for the answer of a tty that has no modem lines at all (a pty).
bool lacksModemLines(int err);

int bytesInQueue(int fd, uint32_t& count);
int bytesOutQueue(int fd, uint32_t& count);

// A wake-up descriptor that stays readable once raised (manual reset).
int createSignal(int& fd);
int raiseSignal(int fd);

// Closes fd (never retried: Linux releases it even when close fails).
int closeFd(int fd);

} // namespace tty
