#include "report/run_recorder.h"

#include "link/reply.h"

void RunRecorder::begin()
{
    record_.started = QDateTime::currentDateTime();
    sinceBegin_.start();
}

void RunRecorder::lineWritten(int index)
{
    // The pump sends a line only on a fresh idle report: the one before it is spoken.
    if (pending_)
        settle(LineVerdict::Spoken, QString());
    int pass = 1;
    if (!record_.sent.isEmpty())
        pass = record_.sent.last().pass + (index <= record_.sent.last().index ? 1 : 0);
    record_.sent.append({pass, index, 0, LineVerdict::CutShort, QString()});
    pending_ = true;
    pendingSince_ = sinceBegin_.nsecsElapsed();
    spokenNsecs_.reset();
    clock_.start(pendingSince_);
    awaitsVersion_ = record_.linePrefix + record_.lines.value(index) == QLatin1String("VER");
}

void RunRecorder::received(const QString &reply)
{
    forEachReply(reply, [this](QStringView one) {
        if (awaitsVersion_ && one.startsWith(QLatin1String("ver"))) {
            record_.moduleVersion = one.toString();
            awaitsVersion_ = false;
        }
    });
    const std::optional<qint64> spoken = clock_.reply(reply, sinceBegin_.nsecsElapsed());
    if (spoken && pending_)
        spokenNsecs_ = spoken;
}

void RunRecorder::errorReply(const QString &reply)
{
    if (!pending_)
        return;
    // The status reply that reported the error, out of what came with it.
    QString shown;
    forEachReply(reply, [&shown](QStringView one) {
        if (shown.isEmpty() && classifyReply(one) == ReplyClass::Error)
            shown = one.toString();
    });
    settle(LineVerdict::Failed, shown.isEmpty() ? reply.trimmed() : shown);
}

void RunRecorder::allSpoken()
{
    if (pending_)
        settle(LineVerdict::Spoken, QString());
}

void RunRecorder::finish(RunEnd end, const QString &cause)
{
    if (pending_)
        settle(end == RunEnd::Spoken ? LineVerdict::Spoken : LineVerdict::CutShort, cause);
    record_.end = end;
    record_.cause = cause;
    record_.seconds = double(sinceBegin_.nsecsElapsed()) / 1e9;
}

void RunRecorder::settle(LineVerdict verdict, const QString &detail)
{
    SentLine &line = record_.sent.last();
    // A spoken line takes the time the idle report came; a line the pump judged without one
    // the clock could time (a reply without CR), or one that failed, the time until now.
    const qint64 nsecs = verdict == LineVerdict::Spoken && spokenNsecs_
                             ? *spokenNsecs_
                             : sinceBegin_.nsecsElapsed() - pendingSince_;
    line.seconds = double(nsecs) / 1e9;
    line.verdict = verdict;
    line.detail = detail;
    pending_ = false;
    clock_.stop();
}
