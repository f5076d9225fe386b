#pragma once

#include "link/spoken_clock.h"
#include "report/line_exchange.h"
#include "report/run_record.h"

#include <QElapsedTimer>

// Fills a run's record from what the line pump does and what the module answers: each line
// written, the traffic and replies that follow it, an error reply the pump acted on, and how
// the run ended. A line's verdict waits for the pump: it is spoken when the pump moves on to
// the next line (or ends the run spoken), its time the speaking time the transcript also
// gives. Until then the line is running, and its exchange is collected.
class RunRecorder
{
public:
    // Starts the run's clock and its timestamp.
    void begin();
    RunRecord &record() { return record_; }
    // The record as it stands now, the running line's exchange and the run's time included.
    const RunRecord &snapshot();

    // The console wrote (out) or received these bytes; the line the pump writes comes
    // through here just before lineWritten names it.
    void traffic(bool out, const QByteArray &bytes, const QString &text);
    // Something that happened on the line that the transcript also records (LOST,
    // POLL-TIMEOUT).
    void event(const QString &kind, const QString &detail);
    // The pump wrote line index of the list, after pollMark status polls.
    void lineWritten(int index, quint64 pollMark);
    // One of the module's replies, whole.
    void received(const QString &reply);
    // A status reply of the module and the number of the poll it answers (0: none).
    void statusAnswered(const QString &status, quint64 poll);
    // The pump took this reply as the module's error report.
    void errorReply(const QString &reply);
    // The module answered line index of the list with '?': it did not take the line.
    void lineRefused(int index);
    // Every line went out and the module reported idle after the last.
    void allSpoken();
    // The run is over; a line still waiting for its verdict was cut short by the cause.
    void finish(RunEnd end, const QString &cause);

private:
    void settle(LineVerdict verdict, const QString &detail);
    // Judges the running line: spoken, or failed when the module answered it '?'.
    void settleRunning();
    void flushWrite();
    void closeExchange();

    RunRecord record_;
    QElapsedTimer sinceBegin_;
    SpokenClock clock_;
    bool pending_ = false;              // the last line sent has no verdict yet
    bool refused_ = false;              // the module answered it '?'
    qint64 pendingSince_ = 0;           // when it went out
    std::optional<qint64> spokenNsecs_; // its speaking time, once the module reported idle
    bool awaitsVersion_ = false;        // the last line asked for the module's version
    LineExchange exchange_;
    qsizetype exchangeLine_ = -1; // the sent line whose exchange is being collected
    // The last write, until it is known whether it was a line (its exchange begins with it)
    // or belongs to the exchange of the line before.
    struct Write
    {
        qint64 nsecs = 0;
        QByteArray bytes;
        QString text;
    };
    std::optional<Write> lastWrite_;
    // The latest records while no line is being collected, for a run that fails before a
    // line goes out: they show what the console waited on.
    static constexpr qsizetype keptWaitRecords = 20;
    QStringList waitRecords_;
    qint64 waitSince_ = 0;
    void keepWaitRecord(qint64 nsecs,
                        const QString &kind,
                        const QString &text,
                        const QByteArray &bytes = {});
};
