// The line pump: on every tick of Timer1 it looks at the run and at the beginning of the
// latest reply and takes one step. It polls the module with "STT", sends the next line on
// an idle reply, reports an error reply, carries out a stop and repeats or ends the list.
//
// Each idle report lets one line go: after a line, only an idle reply received after a poll
// that followed the line lets the next one go (or ends the run), so a module that does not
// acknowledge, or answers late, never gets a line while it is still speaking.
#include "link/reply.h"
#include "platform/message_box.h"
#include "ui/form1.h"

#include <algorithm>

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
    ReplyClass reply = classifyReply(Rcv_dat);
    if (reply == ReplyClass::None) {
        pollModule();
        return;
    }
    ui.Text2->setText(Rcv_dat);
    if (reply == ReplyClass::Idle && !idleReplyIsFresh())
        reply = ReplyClass::Speaking;
    if (Stop_flg == 1) {
        // Stopping: no further line; an error reply is polled past without a second box.
        if (reply == ReplyClass::Idle)
            endRun(runHadError_ ? RunOutcome::ModuleError : RunOutcome::Stopped);
        else
            pollModule();
        return;
    }
    if (reply == ReplyClass::Error)
        speakErrorPath();
    else if (reply == ReplyClass::Idle)
        lineStep();
    else
        pollModule();
}

bool Form1::idleReplyIsFresh() const
{
    // A reply from before the port was last opened says nothing of the module now there.
    return !lineAwaitsPoll_ && repliesTaken_ > std::max(idleAfter_, repliesAtOpen_);
}

void Form1::pollModule()
{
    writeCommandLine(QStringLiteral("STT"));
    if (lineAwaitsPoll_) {
        lineAwaitsPoll_ = false;
        idleAfter_ = repliesTaken_;
    }
}

void Form1::lineStep()
{
    if (Snd_cnt < Snd_max) {
        // The line goes out as stored: it keeps the CR that ended it in the send box.
        writeText(Snd_dat[Snd_cnt]);
        emit lineWritten(Snd_cnt);
        ++Snd_cnt;
        lineAwaitsPoll_ = true;
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
    writeCommandLine(QStringLiteral("STT"));
    ui.Text2->setText(Rcv_dat);
    Stop_flg = 1;
    runHadError_ = true;
    // The run ends on an idle reply to a poll written after the error was cleared.
    lineAwaitsPoll_ = false;
    idleAfter_ = repliesTaken_;
}

void Form1::endRun(RunOutcome outcome)
{
    showIdleIcon();
    Snd_flg = 0;
    runOutcome_ = outcome;
    emit runEnded(outcome);
}
