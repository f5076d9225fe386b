// The receive event. The module's replies are handed to Rcv_dat whole: text up to its last
// CR at once, text without CR once the line has been quiet for a moment. Each hand-over
// replaces Rcv_dat; readers look at its first characters only.
#include "link/port_names.h"
#include "link/reconnect.h"
#include "link/reply.h"
#include "link/visible_causes.h"
#include "platform/message_box.h"
#include "transport/device_path.h"
#include "transport/open_failure.h"
#include "transport/serial_control.h"
#include "ui/form1.h"

void Form1::MSComm1_OnComm()
{
    if (MSComm1->CommEvent() != SerialControl::comEvReceive)
        return;
    // A reply split over two arrivals (as USB adapters deliver it) would otherwise be seen
    // as two fragments, neither of which the module's status can be read from.
    const ReplyAssembler::Taken taken = replies_.add(MSComm1->Input());
    if (taken.lineFeedOfLast)
        Rcv_dat += u'\n';
    if (taken.complete)
        takeReply(*taken.complete);
    if (replies_.hasPending())
        replyQuiet_->start();
    else
        replyQuiet_->stop();
}

void Form1::takeReply(const QString &reply)
{
    Rcv_dat = reply;
    // Status replies answer the polls oldest first, however late; one that answers no poll
    // (a poll answered twice, noise) tells nothing new.
    const qint64 now = linkClock_.elapsed();
    polls_.heard(now);
    forEachReply(reply, [this, now](QStringView one) {
        const ReplyClass status = classifyReply(one);
        if (status == ReplyClass::None)
            return;
        const quint64 poll = polls_.answered(now);
        if (poll != 0)
            lastStatus_ = status;
        emit statusAnswered(one.toString(), poll);
    });
    emit replyTaken(reply);
    moduleAnswered();
}

void Form1::MSComm1_DeviceLost(const QString &reason)
{
    // The serial control has closed the port. The run ends here, and the window shows the
    // port closed until the device returns or the operator presses OPEN; nothing goes out
    // until the operator asks.
    if (ending_)
        return;
    if (Snd_flg == 1)
        endRun(RunOutcome::PortLost);
    showPortClosed();
    // The window opens the device again by itself when it returns.
    watchForReturn();
    reportToConsole(QStringLiteral("COMが切断されました: ") + reason);
    // One box says it: a loss while it is up is the same news (standard error and the
    // transcript have each).
    if (messageBoxIsOpen(deviceLostPrompt))
        return;
    // The port that was open, whichever the port box shows by now.
    const int port = openPort_ != 0 ? openPort_ : MSComm1->CommPort();
    MsgBox(this,
           deviceLostPrompt,
           vbCritical,
           QStringLiteral("Com Port Error"),
           portCause(port, reason),
           lossCause(port));
}
