#pragma once

// CPU time used by the whole process, every thread, as getrusage reports it, in seconds.
double processCpuSeconds();

// Seconds on a monotonic clock.
double wallSeconds();

// CPU used between two moments, as a percentage of one core.
class CpuMeter
{
public:
    CpuMeter() { restart(); }
    void restart();
    double cpuSeconds() const;
    double wallSeconds() const;
    double percentOfCore() const;

private:
    double cpuStart_ = 0;
    double wallStart_ = 0;
};
