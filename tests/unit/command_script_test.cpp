// Scripts of module commands: what a line may be, and how a script is refused.
#include "messages/command_script.h"

#include <gtest/gtest.h>

namespace {

QStringList numbered(const CommandScript &script)
{
    QStringList lines;
    for (const ScriptLine &line : script.lines)
        lines.append(QStringLiteral("%1 %2").arg(line.number).arg(line.command));
    return lines;
}

TEST(CommandScript, EachCommandIsSentAsWrittenAndBlanksAndCommentsAreSkipped)
{
    for (const QString &line : QStringList{"MSGあいうえお",
                                           "MSG",
                                           "MSG<&>abc",
                                           "STT",
                                           "CLR0",
                                           "VER",
                                           "SPD150",
                                           "SPD5",
                                           "SPD999",
                                           "SSD01",
                                           "SSD02",
                                           "EEP01あいう",
                                           "EEP32",
                                           "SEL01",
                                           "SEL99",
                                           "",
                                           "  \t",
                                           "#",
                                           "# MSGあ"}) {
        SCOPED_TRACE(line.toStdString());
        const CommandScript script = readCommandScript("# check\r\n" + line + "\r\nSTT\r\n");
        const bool skipped = line.trimmed().isEmpty() || line.startsWith(u'#');
        EXPECT_EQ(numbered(script),
                  skipped ? QStringList({"3 STT"}) : QStringList({"2 " + line, "3 STT"}));
    }
}

TEST(CommandScript, AnythingElseRefusesTheWholeScriptNamingLineAndExpectation)
{
    const QString any = QStringLiteral("expected a module command (MSG+text");
    const QString speed = QStringLiteral("expected SPD and a speed of one to three digits");
    const struct
    {
        QString line;
        QString says;
    } rows[] = {
        {"SPD", speed},
        {"SPD1500", speed},
        {"SPD15a", speed},
        {"SPD 150", speed},
        {"SEL1", "expected SEL and a slot of two digits, as SEL01, not \"SEL1\""},
        {"SEL001", "expected SEL and a slot"},
        {"EEP1あ", "expected EEP, a slot of two digits"},
        {"EEP", "expected EEP, a slot"},
        {"STT ", any},
        {"stt", any},
        {"CLR1", any},
        {"SSD03", any},
        {"VERX", any},
        {" MSGあ", any},
        {"あいう", any},
        {"MSGい\U0001F600", "シフトJISで送れない文字があります \U0001F600 (U+1F600)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line.toStdString());
        const CommandScript script = readCommandScript("# check\nSPD150\n" + row.line + "\nSTT\n");
        EXPECT_EQ(script.refusedLine, 3);
        EXPECT_TRUE(script.refusal.contains(row.says)) << script.refusal.toStdString();
        EXPECT_TRUE(script.lines.isEmpty());
    }
    for (const QString &empty : {QString(), QStringLiteral("# only a comment\n\n")})
        EXPECT_EQ(readCommandScript(empty).refusal,
                  QStringLiteral("the script holds no command to send"));
    EXPECT_EQ(readCommandScript(QStringLiteral("STT\n").repeated(32768)).refusal,
              QStringLiteral("the script holds more than 32767 commands"));
}

} // namespace
