#pragma once

#include "link/status_polls.h"

#include <QStringView>

#include <optional>

// Times a line from the moment it went out to the module's idle reply to a status poll
// written after it. The transcript's SPOKEN records and the scripted run's report both take
// their speaking times from it, so the two always agree.
class SpokenClock
{
public:
    // A status poll ("STT") went out.
    void pollWritten() { polls_.written(); }
    // The polls waiting now will not be answered (a poll time-out, the port opened anew).
    void pollsLost() { polls_.forgetOutstanding(); }
    // A line went out at this time (nanoseconds on any one clock).
    void start(qint64 nsecs);
    // Forgets the line.
    void stop() { running_ = false; }
    bool isRunning() const { return running_; }
    // Takes one of the module's replies, whole, at this time. Returns the speaking time once
    // the reply is the idle report that ends the line; the clock then stops.
    std::optional<qint64> reply(QStringView reply, qint64 nsecs);

private:
    StatusPolls polls_;
    bool running_ = false;
    qint64 since_ = 0;
    quint64 mark_ = 0; // polls_.mark() when the line went out
};
