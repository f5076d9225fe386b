// The receive event: each arrival of data replaces Rcv_dat whole. Nothing is appended,
// trimmed or parsed here; readers look at the first characters only.
#include "platform/message_box.h"
#include "platform/open_failure.h"
#include "platform/serial_control.h"
#include "ui/form1.h"

void Form1::MSComm1_OnComm()
{
    if (MSComm1->CommEvent() == SerialControl::comEvReceive)
        Rcv_dat = MSComm1->Input();
}

void Form1::MSComm1_DeviceLost(const QString &reason)
{
    // The serial control has closed the port. Without a word the pump would go on writing
    // its lines into nothing and end the run as if they had been spoken. The buttons stay
    // as they are: CLOSE, then OPEN once the device is back, reconnects.
    if (ending_)
        return;
    reportToConsole(QStringLiteral("COMが切断されました: ") + reason);
    MsgBox(
        this, QStringLiteral("COMが切断されました"), vbCritical, QStringLiteral("Com Port Error"));
}
