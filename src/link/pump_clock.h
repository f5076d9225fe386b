#pragma once

#include <QElapsedTimer>

#include <optional>

// The clock the line pump, the reply assembly and the count of polls go by: a steady clock,
// or, for a test or a model of the module, a simulated one that moves only when told, so
// that time-outs are checked without waiting them out.
class PumpClock
{
public:
    PumpClock() { real_.start(); }
    qint64 nowMs() const { return simulated_ ? *simulated_ : real_.elapsed(); }
    // From now on the clock stands at startMs and moves by advance() alone.
    void simulate(qint64 startMs = 0) { simulated_ = startMs; }
    void advance(qint64 ms)
    {
        if (simulated_)
            *simulated_ += ms;
    }

private:
    QElapsedTimer real_;
    std::optional<qint64> simulated_;
};
