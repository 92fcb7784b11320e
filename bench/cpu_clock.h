// CPU time of the calling thread and of the whole process, in seconds.
#pragma once

#include <ctime>

inline double CpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double ThreadCpuSeconds()
{
    return CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

inline double ProcessCpuSeconds()
{
    return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}
