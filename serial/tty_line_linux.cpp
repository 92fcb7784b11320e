// Raw line configuration through termios2 (TCGETS2/TCSETS2). Bxxx codes for
// the rates that have one, BOTHER with the exact rate for all others.
#include "serial/tty_line_linux.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace tty {

namespace {

int ioctlRetry(int fd, unsigned long request, termios2* state)
{
    for (;;) {
        if (ioctl(fd, request, state) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

struct SpeedCode
{
    uint32_t rate;
    unsigned int code;
};

constexpr SpeedCode kSpeeds[] = {
    {110, B110},       {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
};

unsigned int speedCode(uint32_t rate)
{
    for (const SpeedCode& s : kSpeeds) {
        if (s.rate == rate)
            return s.code;
    }
    return BOTHER;
}

int makeRawLine(const LineSettings& s, termios2& t)
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

    // A break must not put a 0x00 into a telegram, hence IGNBRK. Parity
    // and framing errors are not checked (INPCK off): a byte arrives as the
    // line gave it instead of being replaced by 0x00.
    t.c_iflag &= ~(BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                   IMAXBEL | INPCK | IGNPAR | IUCLC | IUTF8);
    t.c_iflag |= IGNBRK;
    if (s.xonXoffOut)
        t.c_iflag |= IXON;
    if (s.xonXoffIn)
        t.c_iflag |= IXOFF;
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);

    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;
    switch (s.dataBits) {
    case 5:
        t.c_cflag |= CS5;
        break;
    case 6:
        t.c_cflag |= CS6;
        break;
    case 7:
        t.c_cflag |= CS7;
        break;
    default:
        t.c_cflag |= CS8;
        break;
    }
    switch (s.parity) {
    case 1:
        t.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        t.c_cflag |= PARENB;
        break;
    case 3:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break; // mark
    case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break; // space
    default:
        break;
    }
    if (s.stopBits == 2)
        t.c_cflag |= CSTOPB;
    if (s.ctsFlow || s.rtsControl == 2)
        t.c_cflag |= CRTSCTS;

    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    // Input at the output rate (input code B0), given exactly for BOTHER.
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= speedCode(s.baudRate);
    t.c_ospeed = s.baudRate;
    t.c_ispeed = s.baudRate;
    return 0;
}

} // namespace

int configureLine(int fd, const LineSettings& settings, LineStep& step)
{
    termios2 state{};
    step = LineStep::Read;
    if (int err = ioctlRetry(fd, TCGETS2, &state))
        return err;
    step = LineStep::Write;
    if (int err = makeRawLine(settings, state))
        return err;
    return ioctlRetry(fd, TCSETS2, &state);
}

int readBaudRate(int fd, uint32_t& baudRate)
{
    termios2 state{};
    if (int err = ioctlRetry(fd, TCGETS2, &state))
        return err;
    baudRate = state.c_ospeed;
    return 0;
}

} // namespace tty
