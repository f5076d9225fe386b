// The line pump: on every tick of Timer1 it looks at the run and at the beginning of the
// latest reply and takes one step. It polls the module with "STT", sends the next line on
// an idle reply, reports an error reply, carries out a stop and repeats or ends the list.
// It never clears Rcv_dat: a new reply arriving before the next tick is what holds the
// next line back.
#include "link/reply.h"
#include "platform/message_box.h"
#include "ui/form1.h"

void Form1::Timer1_Timer()
{
    // A tick that comes while the error box is open (the box runs its own event loop)
    // would see the same error reply and open a second box.
    if (Snd_flg == 0 || errorBoxOpen_)
        return;
    const ReplyClass reply = classifyReply(Rcv_dat);
    if (reply == ReplyClass::None) {
        writeCommandLine(QStringLiteral("STT"));
        return;
    }
    ui.Text2->setText(Rcv_dat);
    if (Stop_flg == 0 && reply != ReplyClass::Idle) {
        if (reply == ReplyClass::Error)
            speakErrorPath();
        else
            writeCommandLine(QStringLiteral("STT"));
        return;
    }
    if (Stop_flg == 1 && reply == ReplyClass::Speaking) {
        writeCommandLine(QStringLiteral("STT"));
        return;
    }
    if (Stop_flg == 1 && reply == ReplyClass::Idle) {
        endRun();
        return;
    }
    lineStep();
}

void Form1::lineStep()
{
    if (Snd_cnt < Snd_max) {
        // The line goes out as stored: it keeps the CR that ended it in the send box.
        writeText(Snd_dat[Snd_cnt]);
        ++Snd_cnt;
    } else if (Rep_flg == 1) {
        Snd_cnt = 0;
    } else {
        endRun();
    }
}

void Form1::speakErrorPath()
{
    errorBoxOpen_ = true;
    MsgBox(this, QStringLiteral("送信データに誤りがあります"), vbCritical, QStringLiteral("Error"));
    errorBoxOpen_ = false;
    writeCommandLine(QStringLiteral("CLR0"));
    writeCommandLine(QStringLiteral("STT"));
    ui.Text2->setText(Rcv_dat);
    Stop_flg = 1;
}

void Form1::endRun()
{
    showIdleIcon();
    Snd_flg = 0;
}
