// The version and status queries: pause the line pump, write one command, wait for the
// module, then show the latest reply if it has the right beginning.
#include "link/reply.h"
#include "platform/reply_wait.h"
#include "ui/form1.h"

void Form1::Command19_Click()
{
    if (Snd_flg == 1)
        return;
    runQuery(QStringLiteral("VER"), u"ver", ui.Text3);
}

void Form1::Command15_Click()
{
    runQuery(QStringLiteral("STT"), u"stt", ui.Text2);
}

void Form1::runQuery(const QString &command, QStringView prefix, QLineEdit *answerBox)
{
    const bool pumping = Timer1->isActive();
    Timer1->stop();
    const quint64 heard = repliesHeard();
    if (command == QLatin1String("STT"))
        writePoll();
    else
        writeCommandLine(command);
    WaitForReply();
    // 終了 during the wait: the program is ending; the query does not go on.
    if (isEnding())
        return;
    if (MSComm1->PortOpen() && repliesHeard() == heard)
        showModuleSilent();
    if (beginsWith(Rcv_dat, prefix))
        answerBox->setText(Rcv_dat);
    if (pumping)
        Timer1->start();
}
