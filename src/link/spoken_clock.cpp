#include "link/spoken_clock.h"

void SpokenClock::start(qint64 nsecs, quint64 pollMark)
{
    running_ = true;
    since_ = nsecs;
    mark_ = pollMark;
}

std::optional<qint64> SpokenClock::answer(QStringView status, quint64 poll, qint64 nsecs)
{
    // Only an idle reply to a poll written after the line tells that the module spoke it.
    if (!running_ || poll <= mark_ || !status.startsWith(QLatin1String("stt 0")))
        return std::nullopt;
    running_ = false;
    return nsecs - since_;
}
