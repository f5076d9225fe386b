#include "monitor/command_field.h"

#include "link/encodable.h"
#include "ui/form1.h"

std::optional<QString> commandRefusal(const QString &line, bool portOpen, bool runActive)
{
    if (line.isEmpty())
        return QStringLiteral("コマンドを入力してください");
    // One Enter, one command line: an embedded line end would make two commands of one.
    if (line.contains(u'\r') || line.contains(u'\n'))
        return QStringLiteral("改行を含む行は送れません。1行ずつ送ってください");
    if (const std::optional<QString> unencodable = unencodableCharacterMessage(line))
        return QString(*unencodable).replace(QStringLiteral("\n1行目: "), QStringLiteral(": "));
    if (!portOpen)
        return QStringLiteral("ポートが閉じています。送信しません");
    if (runActive
        && (line.startsWith(QLatin1String("MSG")) || line.startsWith(QLatin1String("SEL"))))
        return QStringLiteral("発話の実行中はMSG・SELを送れません（モジュールの発話は実行中の発話が"
                              "使っています）");
    return std::nullopt;
}

CommandOutcome sendTypedCommand(Form1 &form, const QString &line)
{
    if (const std::optional<QString> refusal
        = commandRefusal(line, form.MSComm1->PortOpen(), form.Snd_flg == 1))
        return {false, *refusal};
    // The pump writes on its ticks, each write whole: a line typed during a run goes out
    // between two of them.
    form.writeCommandLine(line);
    return {true, QStringLiteral("送信しました: ") + line};
}
