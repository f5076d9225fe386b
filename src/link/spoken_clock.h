#pragma once

#include <QStringView>
#include <QtGlobal>

#include <optional>

// Times a line from the moment it went out to the module's idle reply to a status poll
// written after it. The transcript's SPOKEN records and the scripted run's report both take
// their speaking times from it, and both learn which poll a reply answers from the window's
// one count of polls, so the two always agree with the pump.
class SpokenClock
{
public:
    // A line went out at this time (nanoseconds on any one clock), after pollMark polls.
    void start(qint64 nsecs, quint64 pollMark);
    // Forgets the line.
    void stop() { running_ = false; }
    // Takes a status reply that answers poll number poll (0: none), at this time. Returns the
    // speaking time once the reply is the idle report that ends the line; the clock then
    // stops.
    std::optional<qint64> answer(QStringView status, quint64 poll, qint64 nsecs);

private:
    bool running_ = false;
    qint64 since_ = 0;
    quint64 mark_ = 0; // polls written when the line went out
};
