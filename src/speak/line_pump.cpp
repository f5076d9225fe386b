// The line pump: on every tick of Timer1 it takes one step of the run. It polls the module
// with "STT", sends the next line on an idle report, reports an error reply, carries out a
// stop and repeats or ends the list.
//
// One poll is in flight at a time: the next is written once a status reply has come since
// the last, or after the poll time-out. A time-out forgets nothing: the late reply still answers
// its own poll, so it can never pass for the answer to a poll written after a line. Each idle
// report lets one line go: a line, and the end of the run, need an idle reply to a poll written
// after the line before them (the first line, after 発話), so a module that does not acknowledge,
// or answers late, never gets a line while it is still speaking. For a module that acknowledges,
// the line's acknowledgement also comes first: it gives up the polls lost before the line, so a
// lost poll costs one time-out of its own line and never shifts the pairing of later ones, and a
// status that came before it (sent unasked, behind latency) never lets the next line go.
#include "link/visible_causes.h"
#include "platform/message_box.h"
#include "ui/form1.h"

#include <algorithm>

void Form1::Timer1_Timer()
{
    // A tick that comes while a box is open (the box runs its own event loop) would act on
    // the reply the box is about, or stack a second box on the first.
    if (Snd_flg == 0 || messageBoxIsOpen())
        return;
    // A reply that has waited for its end as long as it may is taken first.
    takeDueReply();
    // A closed port holds the run: nothing written counts as sent. Bytes still on their way
    // out are waited for, rather than queueing polls behind them.
    if (!MSComm1->PortOpen() || MSComm1->bytesToWrite() > 0)
        return;
    // The box shows the status the pump goes by: not one that came while a poll waits and
    // says nothing of the module since the line.
    const bool fresh = polls_.answersPollAfter(freshAfter_);
    if ((fresh || polls_.waiting() == 0) && classifyReply(Rcv_dat) != ReplyClass::None)
        ui.Text2->setText(Rcv_dat);
    const ReplyClass reply = freshStatus();
    if (Stop_flg == 1) {
        // Stopping: no further line; an error reply is polled past without a second box.
        if (reply == ReplyClass::Idle)
            endRun(runHadError_ ? RunOutcome::ModuleError : RunOutcome::Stopped);
        else
            pollWhenDue();
        return;
    }
    if (reply == ReplyClass::Error)
        speakErrorPath();
    else if (reply == ReplyClass::Idle)
        lineStep();
    else
        pollWhenDue();
}

ReplyClass Form1::freshStatus() const
{
    if (!polls_.answersPollAfter(freshAfter_))
        return ReplyClass::None;
    // A module that acknowledges answers the line before any poll written after it: a
    // status before the line's acknowledgement (one sent unasked, behind latency) is older.
    if (polls_.answerAwaited(
            freshAfter_, clock_.nowMs(), std::min(lateReplyMs_, qint64(StatusPolls::windowLateMs))))
        return ReplyClass::None;
    // A module that sends status unasked: an idle reply lets a line go only as the second
    // in a row after the latest acknowledgement.
    if (lastStatus_ == ReplyClass::Idle && polls_.sendsUnasked()
        && !polls_.idleSettledAfter(freshAfter_))
        return ReplyClass::None;
    return lastStatus_;
}

void Form1::pollWhenDue()
{
    if (polls_.waiting() > 0 && !polls_.answeredSincePoll()) {
        // A reply still arriving (paused inside, within its bounds) is no lost poll.
        if (clock_.nowMs() - pollWrittenMs_ < StatusPolls::timeoutMs || replies_.hasPending())
            return;
        emit pumpNote(QStringLiteral("POLL-TIMEOUT"),
                      QStringLiteral("no reply to STT within %1 ms; %2 waiting")
                          .arg(StatusPolls::timeoutMs)
                          .arg(polls_.waiting()));
        showModuleSilent();
    }
    writePoll();
}

void Form1::writePoll()
{
    writeCommandLine(QStringLiteral("STT"));
}

void Form1::countPoll()
{
    // Polls the line has been quiet on for longer than any reply could be late will not be
    // answered: the count starts again, so that they do not hold every later poll back.
    const qint64 now = clock_.nowMs();
    if (const quint64 lost = polls_.dropLost(now, lateReplyMs_))
        emit pumpNote(QStringLiteral("POLLS-LOST"),
                      QStringLiteral("%1 STT unanswered, the line quiet for %2 ms")
                          .arg(lost)
                          .arg(now - polls_.quietSinceMs()));
    polls_.written(now);
    pollWrittenMs_ = now;
}

void Form1::lineStep()
{
    if (Snd_cnt < Snd_max) {
        // The line goes out as stored: it keeps the CR that ended it in the send box.
        writingLine_ = lastLineWritten_ = Snd_cnt;
        writeText(Snd_dat[Snd_cnt]);
        writingLine_ = -1;
        freshAfter_ = polls_.mark();
        polls_.restartIdleRun();
        emit lineWritten(Snd_cnt);
        ++Snd_cnt;
    } else if (Rep_flg == 1) {
        Snd_cnt = 0;
    } else {
        endRun(RunOutcome::Spoken);
    }
}

void Form1::speakErrorPath()
{
    emit errorReplyReported(Rcv_dat);
    // The box keeps its text; beneath it, which line the module answered so, or that the
    // module was in error before this run sent anything.
    const QString answer = Rcv_dat.trimmed();
    const bool beforeRun = lastLineWritten_ < 0;
    const QString line = beforeRun ? QString() : Snd_dat.value(lastLineWritten_);
    MsgBox(
        this,
        QStringLiteral("送信データに誤りがあります"),
        vbCritical,
        QStringLiteral("Error"),
        beforeRun
            ? QStringLiteral("the module reported %1 before any line was sent%2")
                  .arg(answer,
                       lastRefusedCommand_.isEmpty()
                           ? QString()
                           : QStringLiteral(" (it had answered ? to %1)").arg(lastRefusedCommand_))
            : QStringLiteral("the module reported %1 after line %2 \"%3\"")
                  .arg(answer)
                  .arg(lastLineWritten_ + 1)
                  .arg(lineOpening(line)),
        beforeRun ? visibleModuleErrorBeforeRun(lastRefusedCommand_)
                  : visibleModuleRefusedLine(lastLineWritten_ + 1, line, answer));
    writeCommandLine(QStringLiteral("CLR0"));
    // The run ends on an idle reply to a poll written after the error was cleared.
    freshAfter_ = polls_.mark();
    polls_.restartIdleRun();
    writePoll();
    ui.Text2->setText(Rcv_dat);
    Stop_flg = 1;
    runHadError_ = true;
}

void Form1::endRun(RunOutcome outcome)
{
    showIdleIcon();
    Snd_flg = 0;
    runOutcome_ = outcome;
    runTimers(false);
    emit runEnded(outcome);
}

void Form1::runTimers(bool on)
{
    // The pump and the icon wake the program only while a run needs them; the pump also
    // holds while a VER or STT query waits, and starts when the last wait ends.
    if (on) {
        if (queryWaits_ == 0)
            Timer1->start();
        Timer2->start();
    } else {
        Timer1->stop();
        Timer2->stop();
    }
}
