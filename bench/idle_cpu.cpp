#include "idle_cpu.h"

#include "cpu_clock.h"
#include "event_wait.h"

double idleCpuPercent(int seconds)
{
    const CpuMeter meter;
    runEventLoopFor(seconds * 1000);
    return meter.percentOfCore();
}
