// The PG's side of a serial line on a descriptor, as the pty pair's master
// and a device opened by path both play it: write every byte, read until a
// count or a time-out, read until quiet, play an exchange step by step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pg {
struct Exchange;

// Writes every byte to fd (non-blocking), waiting while its queue is full;
// false on an error or after 5 s without progress.
bool SendAll(int fd, const std::vector<uint8_t>& bytes);
// Reads from fd until n bytes have come or timeoutMs has passed.
std::vector<uint8_t> ReceiveUpTo(int fd, size_t n, int timeoutMs);
// Reads from fd until nothing has come for quietMs.
std::vector<uint8_t> DrainQuiet(int fd, int quietMs);
// Sends each step of exchange and takes its reply (at most replyTimeoutMs);
// true when every reply came exactly as expected.
bool PlayExchange(int fd, const Exchange& exchange, int replyTimeoutMs);

} // namespace pg
