#include "tick_stats.h"

#include <algorithm>
#include <cmath>

TickStats tickStats(const QList<double> &seconds, double nominalMs)
{
    TickStats stats;
    double sum = 0;
    double squares = 0;
    for (qsizetype i = 1; i < seconds.size(); ++i) {
        const double interval = (seconds[i] - seconds[i - 1]) * 1000.0;
        const double deviation = interval - nominalMs;
        sum += interval;
        squares += deviation * deviation;
        stats.maxDeviationMs = std::max(stats.maxDeviationMs, std::abs(deviation));
        ++stats.intervals;
    }
    if (stats.intervals > 0) {
        stats.meanMs = sum / stats.intervals;
        stats.rmsDeviationMs = std::sqrt(squares / stats.intervals);
    }
    return stats;
}
