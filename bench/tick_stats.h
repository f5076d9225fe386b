#pragma once

#include <QList>

// How regular a series of moments is, against a nominal interval.
struct TickStats
{
    int intervals = 0;
    double meanMs = 0;         // mean interval
    double rmsDeviationMs = 0; // root mean square of (interval - nominal)
    double maxDeviationMs = 0; // largest |interval - nominal|
};

// Statistics of the intervals between consecutive times (in seconds).
TickStats tickStats(const QList<double> &seconds, double nominalMs);
