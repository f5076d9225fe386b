// The line pump: on every tick of Timer1 it takes one step of the run. It polls the module
// with "STT", sends the next line on an idle report, reports an error reply, carries out a
// stop and repeats or ends the list.
//
// One poll is in flight at a time: the next is written once the last is answered, or after
// the poll time-out. Each idle report lets one line go: a line, and the end of the run, need
// an idle reply to a poll written after the line before them (the first line, after 発話),
// so a module that does not acknowledge, or answers late, never gets a line while it is
// still speaking.
#include "platform/message_box.h"
#include "ui/form1.h"

void Form1::Timer1_Timer()
{
    // A tick that comes while a box is open (the box runs its own event loop) would act on
    // the reply the box is about, or stack a second box on the first.
    if (Snd_flg == 0 || messageBoxIsOpen())
        return;
    // A closed port holds the run: nothing written counts as sent. Bytes still on their way
    // out are waited for, rather than queueing polls behind them.
    if (!MSComm1->PortOpen() || MSComm1->bytesToWrite() > 0)
        return;
    if (polls_.inFlight()) {
        if (pollClock_.elapsed() < StatusPolls::timeoutMs)
            return;
        emit pumpNote(QStringLiteral("POLL-TIMEOUT"),
                      QStringLiteral("no reply to STT within %1 ms").arg(StatusPolls::timeoutMs));
        showModuleSilent();
        polls_.forgetOutstanding();
        lastStatus_ = ReplyClass::None;
        writePoll();
        return;
    }
    if (classifyReply(Rcv_dat) != ReplyClass::None)
        ui.Text2->setText(Rcv_dat);
    const ReplyClass reply = polls_.answersPollAfter(freshAfter_) ? lastStatus_ : ReplyClass::None;
    if (Stop_flg == 1) {
        // Stopping: no further line; an error reply is polled past without a second box.
        if (reply == ReplyClass::Idle)
            endRun(runHadError_ ? RunOutcome::ModuleError : RunOutcome::Stopped);
        else
            writePoll();
        return;
    }
    if (reply == ReplyClass::Error)
        speakErrorPath();
    else if (reply == ReplyClass::Idle)
        lineStep();
    else
        writePoll();
}

void Form1::writePoll()
{
    if (ending_ || !MSComm1->PortOpen())
        return;
    writeCommandLine(QStringLiteral("STT"));
    polls_.written();
    pollClock_.start();
}

void Form1::lineStep()
{
    if (Snd_cnt < Snd_max) {
        // The line goes out as stored: it keeps the CR that ended it in the send box.
        writeText(Snd_dat[Snd_cnt]);
        emit lineWritten(Snd_cnt);
        ++Snd_cnt;
        freshAfter_ = polls_.mark();
    } else if (Rep_flg == 1) {
        Snd_cnt = 0;
    } else {
        endRun(RunOutcome::Spoken);
    }
}

void Form1::speakErrorPath()
{
    emit errorReplyReported(Rcv_dat);
    MsgBox(this, QStringLiteral("送信データに誤りがあります"), vbCritical, QStringLiteral("Error"));
    writeCommandLine(QStringLiteral("CLR0"));
    // The run ends on an idle reply to a poll written after the error was cleared.
    freshAfter_ = polls_.mark();
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
    // The pump and the icon wake the program only while a run needs them.
    if (on) {
        Timer1->start();
        Timer2->start();
    } else {
        Timer1->stop();
        Timer2->stop();
    }
}
