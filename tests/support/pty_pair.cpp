// The pty pair behind the serial tests.
#include "support/pty_pair.h"

#include "support/pg_requests.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool makeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

int msLeft(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

} // namespace

PtyPair::PtyPair()
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    if (!makeRaw(master) || !makeRaw(slave) ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        close(master);
        close(slave);
        return;
    }
    m_master = master;
    m_slave = slave;
    m_slavePath = name;
}

PtyPair::~PtyPair()
{
    closeMaster();
    closeSlave();
}

bool PtyPair::send(const std::vector<uint8_t>& bytes)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{m_master, POLLOUT, 0};
        if (poll(&p, 1, msLeft(deadline)) == 0)
            return false;
    }
    return true;
}

std::vector<uint8_t> PtyPair::receive(size_t n, int timeoutMs)
{
    std::vector<uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t chunk[4096];
    while (got.size() < n) {
        pollfd p{m_master, POLLIN, 0};
        const int ready = poll(&p, 1, msLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const size_t want = std::min(sizeof chunk, n - got.size());
        const ssize_t r = read(m_master, chunk, want);
        if (r > 0)
            got.insert(got.end(), chunk, chunk + r);
        else if (r == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

std::vector<uint8_t> PtyPair::drain(int quietMs)
{
    std::vector<uint8_t> got;
    uint8_t chunk[4096];
    for (;;) {
        pollfd p{m_master, POLLIN, 0};
        const int ready = poll(&p, 1, quietMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t r = read(m_master, chunk, sizeof chunk);
        if (r > 0)
            got.insert(got.end(), chunk, chunk + r);
        else if (r == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
}

void PtyPair::closeSlave()
{
    if (m_slave >= 0)
        close(m_slave);
    m_slave = -1;
}

bool PtyPair::play(const pg::Exchange& exchange, int replyTimeoutMs)
{
    for (const pg::Step& step : exchange.steps) {
        if (!send(step.send))
            return false;
        if (!step.reply.empty() && receive(step.reply.size(), replyTimeoutMs) != step.reply)
            return false;
    }
    return true;
}
