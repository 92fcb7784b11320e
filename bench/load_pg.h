// The PG side of the load benchmark: plays a cycle of exchanges on a pty
// master as fast as the emulator answers, for a given time, and times every
// reply from the end of the PG's transmission to the first answer byte.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "support/pg_requests.h"

struct PgLoadResult
{
    long exchanges = 0;
    // Exchanges of the kind the caller counts apart (the DB reads).
    long counted = 0;
    long failures = 0;
    double seconds = 0;
    // CPU time of the PG's own thread, to take out of the process's.
    double cpuSeconds = 0;
    // Bytes both sides put on the line in the exchanges completed.
    uint64_t wireBytes = 0;
    // Microseconds from each transmission that awaits a reply to the first
    // byte of that reply.
    std::vector<double> turnaroundUs;
};

// Plays cycle over and over on master for seconds; the exchanges whose
// index in cycle is marked in countedKinds are counted apart. A reply that
// is wrong or late (1 s) counts as a failure; the line is then drained and
// the cycle goes on.
PgLoadResult PlayLoad(int master, const std::vector<pg::Exchange>& cycle,
                      const std::vector<bool>& countedKinds, double seconds);
