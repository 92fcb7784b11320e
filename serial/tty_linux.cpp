// Linux tty operations of the serial port: opening with an advisory lock,
// queue and modem-line ioctls and the eventfd
// that wakes a waiting worker. See tty_linux.h for why they are apart.
#include "serial/tty_linux.h"

#include "serial/session_terminal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tty {

namespace {

// Runs call until it succeeds or fails with something other than EINTR.
template <typename Call> int retry(Call call)
{
    for (;;) {
        if (call() != -1)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

int setModemLine(int fd, int bit, bool on)
{
    return retry([&] { return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit); });
}

} // namespace

int openDevice(const std::string& path, int& fd)
{
    fd = -1;
    if (path.empty())
        return ENOENT;
    int opened = -1;
    if (int err = retry([&] {
            opened = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            return opened;
        }))
        return err;
    if (int err = retry([&] { return flock(opened, LOCK_EX | LOCK_NB); })) {
        closeFd(opened);
        return err;
    }
    // A tty that is some session's controlling terminal belongs to a shell
    // or a login: never take it over. A pseudo-terminal's number is used
    // again as soon as its pair is gone, so a path that named a PG's pty
    // may name somebody's terminal window by the time it is reopened.
    struct stat info
    {
    };
    if (isatty(opened) && fstat(opened, &info) == 0 && isSessionTerminal(info.st_rdev)) {
        closeFd(opened);
        return EBUSY;
    }
    fd = opened;
    return 0;
}

int checkCharDevice(int fd)
{
    struct stat info
    {
    };
    if (int err = retry([&] { return fstat(fd, &info); }))
        return err;
    return S_ISCHR(info.st_mode) ? 0 : ENOTTY;
}

int setExclusive(int fd, bool on)
{
    return retry([&] { return ioctl(fd, on ? TIOCEXCL : TIOCNXCL); });
}

int setNonBlocking(int fd)
{
    int flags = 0;
    if (int err = retry([&] { return flags = fcntl(fd, F_GETFL); }))
        return err;
    return retry([&] { return fcntl(fd, F_SETFL, flags | O_NONBLOCK); });
}

int flush(int fd, bool receiveSide, bool transmitSide)
{
    if (!receiveSide && !transmitSide)
        return EINVAL;
    const int which = receiveSide && transmitSide ? TCIOFLUSH : receiveSide ? TCIFLUSH : TCOFLUSH;
    return retry([&] { return tcflush(fd, which); });
}

int setRts(int fd, bool on)
{
    return setModemLine(fd, TIOCM_RTS, on);
}

int setDtr(int fd, bool on)
{
    return setModemLine(fd, TIOCM_DTR, on);
}

int clearBreak(int fd)
{
    return retry([&] { return ioctl(fd, TIOCCBRK); });
}

bool lacksModemLines(int err)
{
    return err == ENOTTY || err == EINVAL;
}

int bytesInQueue(int fd, uint32_t& count)
{
    int n = 0;
    if (int err = retry([&] { return ioctl(fd, FIONREAD, &n); }))
        return err;
    count = n > 0 ? static_cast<uint32_t>(n) : 0;
    return 0;
}

int bytesOutQueue(int fd, uint32_t& count)
{
    int n = 0;
    if (int err = retry([&] { return ioctl(fd, TIOCOUTQ, &n); }))
        return err;
    count = n > 0 ? static_cast<uint32_t>(n) : 0;
    return 0;
}

int createSignal(int& fd)
{
    fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd == -1 ? errno : 0;
}

int raiseSignal(int fd)
{
    const uint64_t one = 1;
    const int err = retry([&] { return static_cast<int>(write(fd, &one, sizeof one)); });
    // EAGAIN: the counter is already at its maximum, so it is raised anyway.
    return err == EAGAIN ? 0 : err;
}

int closeFd(int fd)
{
    if (close(fd) == 0 || errno == EINTR)
        return 0;
    return errno;
}

} // namespace tty
