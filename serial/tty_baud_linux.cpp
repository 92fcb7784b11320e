// Baud rates through termios2 (TCGETS2/TCSETS2 with BOTHER), for rates that
// have no Bxxx constant and for reading back whatever rate is in force.
#include "serial/tty_baud_linux.h"

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

} // namespace

int setBaudRate2(int fd, uint32_t baudRate)
{
    termios2 state{};
    if (int err = ioctlRetry(fd, TCGETS2, &state))
        return err;
    state.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    state.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    state.c_ispeed = baudRate;
    state.c_ospeed = baudRate;
    return ioctlRetry(fd, TCSETS2, &state);
}

int readBaudRate2(int fd, uint32_t& baudRate)
{
    termios2 state{};
    if (int err = ioctlRetry(fd, TCGETS2, &state))
        return err;
    baudRate = state.c_ospeed;
    return 0;
}

} // namespace tty
