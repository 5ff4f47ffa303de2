#pragma once
// CPU time, user and system, of this process (all its threads), or of its children that have
// been waited for. For the tests' idle checks and the benchmarks.

#include <sys/resource.h>

inline double cpuSecondsOf(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double cpuSeconds()
{
    return cpuSecondsOf(RUSAGE_SELF);
}
inline double childrenCpuSeconds()
{
    return cpuSecondsOf(RUSAGE_CHILDREN);
}
