// The pty pair behind the serial tests.
#include "support/pty_pair.h"

#include "support/fd_exchange.h"

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
    return pg::SendAll(m_master, bytes);
}

std::vector<uint8_t> PtyPair::receive(size_t n, int timeoutMs)
{
    return pg::ReceiveUpTo(m_master, n, timeoutMs);
}

std::vector<uint8_t> PtyPair::drain(int quietMs)
{
    return pg::DrainQuiet(m_master, quietMs);
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
    return pg::PlayExchange(m_master, exchange, replyTimeoutMs);
}
