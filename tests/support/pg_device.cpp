// The PG's device end for the virtual port tests.
#include "support/pg_device.h"

#include "support/pg_requests.h"

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

int MsLeft(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : static_cast<int>(left);
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{m_fd, POLLOUT, 0};
        if (poll(&p, 1, MsLeft(deadline)) == 0)
            return false;
    }
    return true;
}

std::vector<uint8_t> PgDevice::receive(size_t n, int timeoutMs)
{
    std::vector<uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t chunk[4096];
    while (got.size() < n) {
        pollfd p{m_fd, POLLIN, 0};
        const int ready = poll(&p, 1, MsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t r = ::read(m_fd, chunk, std::min(sizeof chunk, n - got.size()));
        if (r > 0)
            got.insert(got.end(), chunk, chunk + r);
        else if (r == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

bool PgDevice::play(const pg::Exchange& exchange, int replyTimeoutMs)
{
    for (const pg::Step& step : exchange.steps) {
        if (!send(step.send))
            return false;
        if (!step.reply.empty() && receive(step.reply.size(), replyTimeoutMs) != step.reply)
            return false;
    }
    return true;
}

std::vector<uint8_t> PgDevice::drain(int quietMs)
{
    std::vector<uint8_t> got;
    uint8_t chunk[4096];
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, quietMs) <= 0)
            break;
        const ssize_t r = ::read(m_fd, chunk, sizeof chunk);
        if (r <= 0)
            break;
        got.insert(got.end(), chunk, chunk + r);
    }
    return got;
}
