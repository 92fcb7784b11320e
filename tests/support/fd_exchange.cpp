// Descriptor I/O of the PG's side for the serial tests.
#include "support/fd_exchange.h"

#include "support/pg_requests.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <poll.h>
#include <unistd.h>

namespace pg {

namespace {

int MsLeft(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

} // namespace

bool SendAll(int fd, const std::vector<uint8_t>& bytes)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, MsLeft(deadline)) == 0)
            return false;
    }
    return true;
}

std::vector<uint8_t> ReceiveUpTo(int fd, size_t n, int timeoutMs)
{
    std::vector<uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t chunk[4096];
    while (got.size() < n) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, MsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t r = read(fd, chunk, std::min(sizeof chunk, n - got.size()));
        if (r > 0)
            got.insert(got.end(), chunk, chunk + r);
        else if (r == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

std::vector<uint8_t> DrainQuiet(int fd, int quietMs)
{
    std::vector<uint8_t> got;
    uint8_t chunk[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, quietMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t r = read(fd, chunk, sizeof chunk);
        if (r > 0)
            got.insert(got.end(), chunk, chunk + r);
        else if (r == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

bool PlayExchange(int fd, const Exchange& exchange, int replyTimeoutMs)
{
    for (const Step& step : exchange.steps) {
        if (!SendAll(fd, step.send))
            return false;
        if (!step.reply.empty() && ReceiveUpTo(fd, step.reply.size(), replyTimeoutMs) != step.reply)
            return false;
    }
    return true;
}

} // namespace pg
