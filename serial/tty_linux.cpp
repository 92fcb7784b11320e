// Linux tty operations of the serial port: opening with an advisory lock,
// raw termios configuration, queue and modem-line ioctls and the eventfd
// that wakes a waiting worker. See tty_linux.h for why they are apart.
#include "serial/tty_linux.h"

#include "serial/tty_baud_linux.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tty {

namespace {

// Runs call until it succeeds or fails with something other than EINTR.
template <typename Call>
int retry(Call call)
{
    for (;;) {
        if (call() != -1)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

struct SpeedCode
{
    uint32_t rate;
    speed_t code;
};

constexpr SpeedCode kSpeeds[] = {
    {110, B110},         {150, B150},         {200, B200},       {300, B300},
    {600, B600},         {1200, B1200},       {1800, B1800},     {2400, B2400},
    {4800, B4800},       {9600, B9600},       {19200, B19200},   {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400}, {460800, B460800},
    {500000, B500000},   {576000, B576000},   {921600, B921600},
};

bool standardSpeed(uint32_t rate, speed_t& code)
{
    for (const SpeedCode& s : kSpeeds) {
        if (s.rate == rate) {
            code = s.code;
            return true;
        }
    }
    return false;
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
    fd = opened;
    return 0;
}

int checkCharDevice(int fd)
{
    struct stat info{};
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

int readLineState(int fd, termios& state)
{
    return retry([&] { return tcgetattr(fd, &state); });
}

int makeLineState(const LineSettings& s, termios& state)
{
    // A Linux UART frames 5 to 8 data bits with one or two stop bits, and
    // its only hardware handshake is RTS/CTS: anything else is refused
    // rather than run with a framing or handshake the PG does not expect.
    if (s.dataBits < 5 || s.dataBits > 8 || s.parity > 4)
        return EINVAL;
    if (s.stopBits != 0 && s.stopBits != 2)
        return EINVAL;
    if (s.dtrControl == 2 || s.dsrFlow)
        return EINVAL;
    if (s.rtsControl < 0 || s.rtsControl > 2 || s.dtrControl < 0 || s.dtrControl > 2)
        return EINVAL;

    cfmakeraw(&state);
    // A break must not put a 0x00 into a telegram. Parity and framing
    // errors are not checked (INPCK off), so a byte arrives as the line
    // gave it instead of being replaced by 0x00.
    state.c_iflag &= ~(IXON | IXOFF | IXANY | IMAXBEL | INPCK | IGNPAR | PARMRK);
    state.c_iflag |= IGNBRK;
    if (s.xonXoffOut)
        state.c_iflag |= IXON;
    if (s.xonXoffIn)
        state.c_iflag |= IXOFF;

    state.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    state.c_cflag |= CREAD | CLOCAL;
    switch (s.dataBits) {
    case 5: state.c_cflag |= CS5; break;
    case 6: state.c_cflag |= CS6; break;
    case 7: state.c_cflag |= CS7; break;
    default: state.c_cflag |= CS8; break;
    }
    switch (s.parity) {
    case 1: state.c_cflag |= PARENB | PARODD; break;
    case 2: state.c_cflag |= PARENB; break;
    case 3: state.c_cflag |= PARENB | CMSPAR | PARODD; break; // mark
    case 4: state.c_cflag |= PARENB | CMSPAR; break;          // space
    default: break;
    }
    if (s.stopBits == 2)
        state.c_cflag |= CSTOPB;
    if (s.ctsFlow || s.rtsControl == 2)
        state.c_cflag |= CRTSCTS;

    state.c_cc[VSTART] = 0x11;
    state.c_cc[VSTOP] = 0x13;
    state.c_cc[VMIN] = 0;
    state.c_cc[VTIME] = 0;

    speed_t code = B0;
    if (standardSpeed(s.baudRate, code)) {
        if (cfsetispeed(&state, code) != 0 || cfsetospeed(&state, code) != 0)
            return errno;
    }
    return 0;
}

int writeLineState(int fd, const termios& state, uint32_t baudRate)
{
    if (int err = retry([&] { return tcsetattr(fd, TCSANOW, &state); }))
        return err;
    speed_t code = B0;
    if (standardSpeed(baudRate, code))
        return 0;
    return setBaudRate2(fd, baudRate);
}

int readBaudRate(int fd, uint32_t& baudRate)
{
    return readBaudRate2(fd, baudRate);
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
