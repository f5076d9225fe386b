// The speak request (発話): checks the send box, turns it into the list of lines and arms a
// run. Nothing is written here; the line pump sends the lines on its ticks.
#include "speak/speak_request.h"

#include "link/encodable.h"
#include "link/visible_causes.h"
#include "platform/message_box.h"
#include "ui/form1.h"

bool beginsWithMsg(QStringView text)
{
    return text.startsWith(u"MSG", Qt::CaseSensitive);
}

QString completeWithCrLf(const QString &text)
{
    if (text.endsWith(QLatin1String("\r\n")))
        return text;
    return text + QLatin1String("\r\n");
}

QStringList splitAtLineFeeds(const QString &completed)
{
    return completed.split(u'\n', Qt::KeepEmptyParts, Qt::CaseSensitive);
}

void Form1::Command10_Click()
{
    const QString text = Text1_Text();
    if (!beginsWithMsg(text)) {
        // The console refuses the text itself: nothing has gone to the module.
        const QString visible = visibleLineNotMsg(1, text);
        MsgBox(this,
               QStringLiteral("送信データに誤りがあります"),
               vbCritical,
               QStringLiteral("Error"),
               QStringLiteral("line 1 \"%1\" does not begin with MSG; nothing was sent")
                   .arg(lineOpening(text)),
               visible);
        return;
    }
    armRun(completeWithCrLf(text));
}

bool Form1::armRun(const QString &completed)
{
    // The list's highest index must fit its 16-bit counter; a longer text is refused
    // whole and the run in progress, if any, goes on untouched.
    if (completed.count(u'\n') > maxSpeakLines) {
        MsgBox(this,
               QStringLiteral("送信データが多すぎます（%1行まで）").arg(maxSpeakLines),
               vbCritical,
               QStringLiteral("Error"));
        return false;
    }
    // A character the code page lacks would reach the module as '?' inside a line it
    // then speaks; nothing is armed until the operator has put it right.
    if (const std::optional<QString> refusal = unencodableCharacterMessage(completed)) {
        MsgBox(this, *refusal, vbCritical, QStringLiteral("Error"));
        return false;
    }
    Snd_dat = splitAtLineFeeds(completed);
    Snd_max = qint16(Snd_dat.size() - 1);
    Snd_cnt = 0;
    Snd_flg = 1;
    Stop_flg = 0;
    // Even the first line waits for the module to report idle after 発話.
    freshAfter_ = polls_.mark();
    runHadError_ = false;
    runHadRefusal_ = false;
    lastLineWritten_ = -1;
    polls_.restartIdleRun();
    runOutcome_ = RunOutcome::Running;
    runTimers(true);
    return true;
}
