// The Linux tty operations of the serial port. They live here, apart from
// the port's locking, retries and failure texts, because they use what only
// Linux offers: flock on the device, TIOCEXCL, the modem-line and queue
// ioctls (TIOCMBIS/TIOCMBIC, FIONREAD, TIOCOUTQ) and eventfd; the line
// state itself is in tty_line_linux.h. Every call retries EINTR and gives 0
// on success or the errno value of the failure.
#pragma once

#include <cstdint>
#include <string>

#include "serial/tty_line_linux.h"

namespace tty {

// Opens path read-write, non-blocking, never as the controlling terminal,
// and takes an advisory exclusive lock on it (EWOULDBLOCK when another
// program or another port object holds it). EBUSY for a tty that is the
// controlling terminal of a session (a shell's or a login's). fd is -1 on
// failure.
int openDevice(const std::string& path, int& fd);
// ENOTTY when fd is not a character device.
int checkCharDevice(int fd);
// TIOCEXCL / TIOCNXCL: further opens of the tty fail with EBUSY.
int setExclusive(int fd, bool on);
// Reads return at once with what has arrived; writes never block.
int setNonBlocking(int fd);

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
