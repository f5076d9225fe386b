#include "cpu_clock.h"

#include <sys/resource.h>
#include <time.h>

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double wallSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

void CpuMeter::restart()
{
    cpuStart_ = processCpuSeconds();
    wallStart_ = ::wallSeconds();
}

double CpuMeter::cpuSeconds() const
{
    return processCpuSeconds() - cpuStart_;
}

double CpuMeter::wallSeconds() const
{
    return ::wallSeconds() - wallStart_;
}

double CpuMeter::percentOfCore() const
{
    const double cpu = cpuSeconds();
    const double wall = wallSeconds();
    return wall > 0 ? 100.0 * cpu / wall : 0;
}
