#include "report/run_recorder.h"

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

void RunRecorder::received(const QString &text)
{
    const SpokenClock::Heard heard = clock_.hear(text, sinceBegin_.nsecsElapsed());
    for (const QString &reply : heard.replies) {
        if (awaitsVersion_ && reply.startsWith(QLatin1String("ver"))) {
            record_.moduleVersion = reply;
            awaitsVersion_ = false;
        }
    }
    if (heard.spokenNsecs && pending_)
        spokenNsecs_ = heard.spokenNsecs;
}

void RunRecorder::errorReply(const QString &reply)
{
    if (!pending_)
        return;
    QString shown = reply;
    while (shown.endsWith(u'\r') || shown.endsWith(u'\n'))
        shown.chop(1);
    settle(LineVerdict::Failed, shown);
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
