#include "report/run_recorder.h"

#include "link/reply.h"
#include "link/status_polls.h"

#include <algorithm>
#include <utility>

void RunRecorder::begin()
{
    record_.started = QDateTime::currentDateTime();
    sinceBegin_.start();
    waitSince_ = 0;
}

const RunRecord &RunRecorder::snapshot()
{
    flushWrite();
    if (exchangeLine_ >= 0)
        record_.sent[exchangeLine_].exchange = exchange_.text();
    if (record_.end == RunEnd::Unfinished)
        record_.seconds = double(sinceBegin_.nsecsElapsed()) / 1e9;
    return record_;
}

void RunRecorder::traffic(bool out, const QByteArray &bytes, const QString &text)
{
    flushWrite();
    const qint64 now = sinceBegin_.nsecsElapsed();
    if (out)
        lastWrite_ = Write{now, bytes, text};
    else if (exchangeLine_ >= 0)
        exchange_.add(now, QStringLiteral("IN"), text, bytes);
    if (record_.sent.isEmpty())
        keepWaitRecord(now, out ? QStringLiteral("OUT") : QStringLiteral("IN"), text, bytes);
}

void RunRecorder::keepWaitRecord(qint64 nsecs,
                                 const QString &kind,
                                 const QString &text,
                                 const QByteArray &bytes)
{
    LineExchange one;
    one.start(waitSince_);
    one.add(nsecs, kind, text, bytes);
    waitRecords_.append(one.text());
    if (waitRecords_.size() > keptWaitRecords)
        waitRecords_.removeFirst();
}

void RunRecorder::event(const QString &kind, const QString &detail)
{
    flushWrite();
    if (exchangeLine_ >= 0)
        exchange_.add(sinceBegin_.nsecsElapsed(), kind, detail);
    if (record_.sent.isEmpty())
        keepWaitRecord(sinceBegin_.nsecsElapsed(), kind, detail);
}

void RunRecorder::lineRefused(int index)
{
    // The '?' comes before the idle report that lets the next line go, so it is the
    // running line's, unless that one was already judged.
    if (!pending_ || record_.sent.last().index != index)
        return;
    // The error reply that may follow names the failure; without one it is the '?' alone.
    record_.sent.last().answer = QStringLiteral("?");
    refused_ = true;
}

void RunRecorder::settleRunning()
{
    if (!pending_)
        return;
    if (refused_)
        settle(LineVerdict::Failed, QStringLiteral("no error: the line was not spoken"));
    else
        settle(LineVerdict::Spoken, QString());
}

void RunRecorder::flushWrite()
{
    if (lastWrite_ && exchangeLine_ >= 0)
        exchange_.add(
            lastWrite_->nsecs, QStringLiteral("OUT"), lastWrite_->text, lastWrite_->bytes);
    lastWrite_.reset();
}

void RunRecorder::closeExchange()
{
    flushWrite();
    if (exchangeLine_ < 0)
        return;
    // A spoken line's exchange says nothing a reader needs; the others say why.
    SentLine &line = record_.sent[exchangeLine_];
    line.exchange = line.verdict == LineVerdict::Spoken ? QString() : exchange_.text();
    exchangeLine_ = -1;
}

void RunRecorder::lineWritten(int index, quint64 pollMark)
{
    // The pump sends a line only on a fresh idle report: the one before it is spoken,
    // unless the module refused it.
    settleRunning();
    const std::optional<Write> line = std::exchange(lastWrite_, std::nullopt);
    closeExchange();
    int pass = 1;
    if (!record_.sent.isEmpty())
        pass = record_.sent.last().pass + (index <= record_.sent.last().index ? 1 : 0);
    record_.sent.append({pass, index, 0, LineVerdict::Running, {}, {}, {}});
    pending_ = true;
    pendingSince_ = line ? line->nsecs : sinceBegin_.nsecsElapsed();
    exchangeLine_ = record_.sent.size() - 1;
    exchange_.start(pendingSince_);
    if (line)
        exchange_.add(line->nsecs, QStringLiteral("OUT"), line->text, line->bytes);
    spokenNsecs_.reset();
    clock_.start(pendingSince_, pollMark);
    awaitsVersion_ = record_.linePrefix + record_.lines.value(index) == QLatin1String("VER");
}

void RunRecorder::received(const QString &reply)
{
    forEachReply(reply, [this](QStringView one) {
        if (awaitsVersion_ && one.startsWith(QLatin1String("ver"))) {
            record_.moduleVersion = one.toString();
            awaitsVersion_ = false;
        }
        // Status replies answer polls; the first other reply before the line's verdict
        // answers the line itself (a later one answers what the console sent after it).
        if (pending_ && !one.startsWith(QLatin1String("stt"))
            && record_.sent.last().answer.isEmpty())
            record_.sent.last().answer = one.toString();
    });
}

void RunRecorder::statusAnswered(const QString &status, quint64 poll)
{
    const std::optional<qint64> spoken = clock_.answer(status, poll, sinceBegin_.nsecsElapsed());
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
    settleRunning();
}

void RunRecorder::finish(RunEnd end, const QString &cause)
{
    if (refused_)
        settleRunning();
    if (pending_)
        settle(end == RunEnd::Spoken ? LineVerdict::Spoken : LineVerdict::CutShort, cause);
    // A run that failed after its last line was spoken (the last bytes never left the port)
    // failed on that line: it carries the cause, and no line counts as spoken twice.
    const bool shown
        = std::any_of(record_.sent.cbegin(), record_.sent.cend(), [](const SentLine &l) {
              return l.verdict != LineVerdict::Spoken;
          });
    const qsizetype listed = record_.lines.size() * record_.passes;
    if (end != RunEnd::Spoken && !shown && !record_.sent.isEmpty()
        && record_.sent.size() >= listed) {
        record_.sent.last().verdict = LineVerdict::CutShort;
        record_.sent.last().detail = cause;
    }
    closeExchange();
    record_.end = end;
    record_.cause = cause;
    record_.seconds = double(sinceBegin_.nsecsElapsed()) / 1e9;
    if (end != RunEnd::Spoken && record_.sent.isEmpty()) {
        record_.waitExchange = waitRecords_.join(QString());
        record_.waitSeconds = double(sinceBegin_.nsecsElapsed() - waitSince_) / 1e9;
    }
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
    refused_ = false;
    clock_.stop();
}
