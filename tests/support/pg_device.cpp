// The PG's device end for the virtual port tests.
#include "support/pg_device.h"

#include "support/fd_exchange.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedOf(uint32_t rate)
{
    switch (rate) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B19200;
    }
}

} // namespace

PgDevice::PgDevice(const std::string& path, uint32_t baudRate, char parity)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        m_error = errno;
        ::close(fd);
        return;
    }
    cfmakeraw(&t);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cflag &= ~(PARENB | PARODD);
    if (parity == 'E')
        t.c_cflag |= PARENB;
    else if (parity == 'O')
        t.c_cflag |= PARENB | PARODD;
    cfsetispeed(&t, SpeedOf(baudRate));
    cfsetospeed(&t, SpeedOf(baudRate));
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        m_error = errno;
        ::close(fd);
        return;
    }
    m_fd = fd;
}

PgDevice::~PgDevice()
{
    close();
}

void PgDevice::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool PgDevice::send(const std::vector<uint8_t>& bytes)
{
    return pg::SendAll(m_fd, bytes);
}

std::vector<uint8_t> PgDevice::receive(size_t n, int timeoutMs)
{
    return pg::ReceiveUpTo(m_fd, n, timeoutMs);
}

bool PgDevice::play(const pg::Exchange& exchange, int replyTimeoutMs)
{
    return pg::PlayExchange(m_fd, exchange, replyTimeoutMs);
}

std::vector<uint8_t> PgDevice::drain(int quietMs)
{
    return pg::DrainQuiet(m_fd, quietMs);
}
