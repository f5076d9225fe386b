// The receive event. The module's replies are handed to Rcv_dat whole: text up to its last
// CR at once, text without CR once the line has been quiet for a moment. Each hand-over
// replaces Rcv_dat; readers look at its first characters only.
#include "link/port_names.h"
#include "link/reconnect.h"
#include "link/reply.h"
#include "link/visible_causes.h"
#include "platform/console_output.h"
#include "platform/message_box.h"
#include "transport/device_path.h"
#include "transport/serial_control.h"
#include "ui/form1.h"

#include <algorithm>

void Form1::MSComm1_OnComm()
{
    if (MSComm1->CommEvent() != SerialControl::comEvReceive)
        return;
    // A reply split over two arrivals (as USB adapters deliver it) would otherwise be seen
    // as two fragments, neither of which the module's status can be read from.
    const ReplyAssembler::Taken taken = replies_.add(MSComm1->Input(), clock_.nowMs());
    if (taken.lineFeedOfLast)
        Rcv_dat += u'\n';
    if (taken.complete) {
        if (taken.cut)
            emit pumpNote(QStringLiteral("REPLY-CUT"),
                          QStringLiteral("no end after %1 bytes").arg(taken.complete->size()));
        takeReply(*taken.complete);
    }
    if (replies_.hasPending())
        replyQuiet_->start(int(std::max<qint64>(0, replies_.dueAtMs() - clock_.nowMs())));
    else
        replyQuiet_->stop();
}

void Form1::takeDueReply()
{
    if (!replies_.hasPending())
        return;
    const qint64 now = clock_.nowMs();
    if (now < replies_.dueAtMs()) {
        replyQuiet_->start(int(replies_.dueAtMs() - now));
        return;
    }
    replyQuiet_->stop();
    // A module that ends its replies has sent one it did not end within the bounds.
    const bool cut = replies_.endsReplies();
    const std::optional<QString> rest = replies_.flush();
    if (cut)
        emit pumpNote(QStringLiteral("REPLY-CUT"),
                      QStringLiteral("no end within %1 ms").arg(ReplyAssembler::replyBoundMs));
    takeReply(*rest);
}

void Form1::takeReply(const QString &reply)
{
    Rcv_dat = reply;
    // Status replies answer the polls oldest first, however late; one that answers no poll
    // (a poll answered twice, noise) tells nothing new. An acknowledgement or a version
    // reply answers the oldest command waiting for one, and shows the polls written before
    // that command that are still waiting as lost.
    const qint64 now = clock_.nowMs();
    polls_.heard(now);
    const bool unaskedBefore = polls_.sendsUnasked();
    forEachReply(reply, [this, now](QStringView one) {
        if (one == u">" || one == u"?") {
            takeMarker(one[0], polls_.acknowledged(now));
            return;
        }
        if (beginsWith(one, u"ver")) {
            takeMarker(u'v', polls_.versionAnswered(now));
            return;
        }
        const ReplyClass status = classifyReply(one);
        if (status == ReplyClass::None)
            return;
        const quint64 poll = polls_.answered(now, status == ReplyClass::Idle);
        if (poll != 0)
            lastStatus_ = status;
        emit statusAnswered(one.toString(), poll);
    });
    // An answer of a command has shown status replies nobody asked for.
    if (!unaskedBefore && polls_.sendsUnasked())
        moduleSendsUnasked();
    emit replyTaken(reply);
    moduleAnswered();
}

void Form1::takeMarker(QChar answer, const StatusPolls::Marker &marker)
{
    if (marker.lost > 0)
        emit pumpNote(
            QStringLiteral("POLLS-LOST"),
            QStringLiteral("%1 STT unanswered before %2").arg(marker.lost).arg(marker.command));
    if (answer != u'?' || marker.command.isEmpty())
        return;
    lastRefusedCommand_ = marker.command;
    emit pumpNote(QStringLiteral("REFUSED"), QStringLiteral("? to ") + marker.command);
    emit commandRefused(marker.command, marker.line);
    if (marker.line >= 0) {
        if (Snd_flg == 1)
            runHadRefusal_ = true;
        return;
    }
    // A command of the window's own (再生, 記録, a chime): the operator sees the refusal
    // where the status replies are shown, and in the title.
    ui.Text2->setText(QStringLiteral("?"));
    showModuleRefused(marker.command);
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
