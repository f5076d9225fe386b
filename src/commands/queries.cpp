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
    // Timer1 does not tick until the wait ends, not even for a run armed by 発話 meanwhile
    // (runTimers() holds it); a nested query's end does not start it under this one.
    ++queryWaits_;
    Timer1->stop();
    const quint64 heard = repliesHeard();
    writeCommandLine(command);
    WaitForReply();
    --queryWaits_;
    // 終了 during the wait: the program is ending; the query does not go on.
    if (isEnding())
        return;
    if (MSComm1->PortOpen() && repliesHeard() == heard)
        showModuleSilent();
    if (beginsWith(Rcv_dat, prefix))
        answerBox->setText(Rcv_dat);
    // The pump goes on only for a run still active: one that ended during the wait leaves
    // the console idle.
    if (queryWaits_ == 0 && Snd_flg == 1)
        Timer1->start();
}
