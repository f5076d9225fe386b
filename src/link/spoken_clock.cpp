#include "link/spoken_clock.h"

void SpokenClock::start(qint64 nsecs)
{
    running_ = true;
    since_ = nsecs;
    mark_ = polls_.mark();
}

std::optional<qint64> SpokenClock::reply(QStringView reply, qint64 nsecs)
{
    std::optional<qint64> spoken;
    forEachReply(reply, [&](QStringView one) {
        const bool status = one.startsWith(QLatin1String("stt"));
        if (!status || !polls_.answered())
            return;
        // Only a reply to a poll written after the line tells that the module spoke it.
        if (!running_ || !one.startsWith(QLatin1String("stt 0")) || !polls_.answersPollAfter(mark_))
            return;
        spoken = nsecs - since_;
        running_ = false;
    });
    return spoken;
}
