#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Times a line from the moment it went out to the module's next idle report ("stt 0"), from
// what crosses the line alone. The transcript's SPOKEN records and the scripted run's report
// both take their speaking times from it, so the two always agree.
class SpokenClock
{
public:
    // A line went out at this time (nanoseconds on any one clock).
    void start(qint64 nsecs);
    // Forgets the line, as when the port is opened anew.
    void stop();
    bool isRunning() const { return running_; }

    struct Heard
    {
        // Replies completed by this arrival while a line was timed (up to their CR, without
        // it), in order.
        QStringList replies;
        // The speaking time, once an idle report completes it; the clock then stops.
        std::optional<qint64> spokenNsecs;
    };
    // Takes one arrival of received text at this time.
    Heard hear(const QString &text, qint64 nsecs);

private:
    bool running_ = false;
    qint64 since_ = 0;
    QString tail_;
};
