// Record (記録) stores the first send line into the chosen slot and holds the window until
// the module reports idle; play (再生) speaks a slot.
#include "commands/record_play.h"

#include "link/encodable.h"
#include "link/reply.h"
#include "platform/busy_pointer.h"
#include "platform/message_box.h"
#include "platform/reply_wait.h"
#include "speak/speak_request.h"
#include "transport/serial_control.h"
#include "ui/form1.h"

#include <QElapsedTimer>

std::optional<QString> recordPayload(const QString &sendText)
{
    const qsizetype cr = sendText.indexOf(u'\r');
    const QString firstLine = cr < 0 ? sendText : sendText.left(cr);
    if (!beginsWithMsg(firstLine))
        return std::nullopt;
    return firstLine.mid(3);
}

void Form1::Command11_Click()
{
    // Only a speak line is stored: any other text would lose three characters of its own.
    const std::optional<QString> payload = recordPayload(Text1_Text());
    if (!payload) {
        MsgBox(this,
               QStringLiteral("送信データに誤りがあります"),
               vbCritical,
               QStringLiteral("Error"));
        return;
    }
    if (const std::optional<QString> refusal = unencodableCharacterMessage(*payload)) {
        MsgBox(this, *refusal, vbCritical, QStringLiteral("Error"));
        return;
    }
    BusyPointer busy(this);
    // The port may be closed; then nothing would ever answer, so say so at once.
    if (!MSComm1->PortOpen()) {
        busy.release();
        MsgBox(this,
               QStringLiteral("COMがOPENされていません"),
               vbCritical,
               QStringLiteral("Com Port Error"));
        return;
    }
    writeCommandLine(Eep_cmd + *payload);
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        writePoll();
        WaitForReply();
        if (isEnding())
            return;
        if (beginsWith(Rcv_dat, u"stt 0"))
            break;
        // The device went away: the operator has been told so already.
        if (!MSComm1->PortOpen())
            return;
        if (elapsed.elapsed() >= recordTimeout) {
            busy.release();
            MsgBox(this,
                   QStringLiteral("記録の終了を確認できません"),
                   vbCritical,
                   QStringLiteral("Error"));
            return;
        }
    }
}

void Form1::Command13_Click()
{
    writeCommandLine(Sel_cmd);
}
