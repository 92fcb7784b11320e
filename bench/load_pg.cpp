#include "load_pg.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

#include "cpu_clock.h"

namespace {

using Clock = std::chrono::steady_clock;

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Reads exactly want.size() bytes within timeoutMs; the time the first one
// came. False when they did not all come or differ.
bool ReadReply(int fd, const std::vector<uint8_t>& want, int timeoutMs, Clock::time_point& first)
{
    std::vector<uint8_t> got;
    got.reserve(want.size());
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t chunk[512];
    while (got.size() < want.size()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left) + 1) <= 0)
            continue;
        const size_t room = std::min(sizeof chunk, want.size() - got.size());
        const ssize_t n = read(fd, chunk, room);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            return false;
        }
        if (got.empty())
            first = Clock::now();
        got.insert(got.end(), chunk, chunk + n);
    }
    return got == want;
}

void Drain(int fd, int quietMs)
{
    uint8_t chunk[512];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, quietMs) > 0 && read(fd, chunk, sizeof chunk) > 0) {
    }
}

} // namespace

PgLoadResult PlayLoad(int master, const std::vector<pg::Exchange>& cycle,
                      const std::vector<bool>& countedKinds, double seconds)
{
    PgLoadResult result;
    result.turnaroundUs.reserve(200000);
    const double cpuStart = ThreadCpuSeconds();
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(seconds));
    for (size_t next = 0; Clock::now() < end; next = (next + 1) % cycle.size()) {
        const pg::Exchange& exchange = cycle[next];
        bool ok = true;
        for (const pg::Step& step : exchange.steps) {
            if (!WriteAll(master, step.send)) {
                ok = false;
                break;
            }
            if (step.reply.empty())
                continue;
            const auto sent = Clock::now();
            Clock::time_point first;
            if (!ReadReply(master, step.reply, 1000, first)) {
                ok = false;
                break;
            }
            result.turnaroundUs.push_back(
                std::chrono::duration<double, std::micro>(first - sent).count());
        }
        if (!ok) {
            ++result.failures;
            Drain(master, 300);
            continue;
        }
        ++result.exchanges;
        if (countedKinds[next])
            ++result.counted;
        result.wireBytes += exchange.PgBytes().size() + exchange.SlaveBytes().size();
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    return result;
}
