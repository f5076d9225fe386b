// Scripts of module commands: what a line may be, and how a script is refused.
#include "messages/command_script.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandScript, EachCommandIsSentAsWrittenAndBlanksAndCommentsAreSkipped)
{
    const QString text = QStringLiteral("# check\r\nMSGあいうえお\r\nMSG\r\nMSG<&>abc\r\nSTT\n\n"
                                        "CLR0\nVER\rSPD150\nSPD5\nSPD999\n  \t\nSSD01\nSSD02\n#\n"
                                        "EEP01あいう\nEEP32\n# MSGあ\nSEL01\nSEL99");
    QStringList numbered;
    for (const ScriptLine &line : readCommandScript(text).lines)
        numbered.append(QStringLiteral("%1 %2").arg(line.number).arg(line.command));
    EXPECT_EQ(numbered.join(u','),
              QStringLiteral("2 MSGあいうえお,3 MSG,4 MSG<&>abc,5 STT,7 CLR0,8 VER,9 SPD150,"
                             "10 SPD5,11 SPD999,13 SSD01,14 SSD02,16 EEP01あいう,17 EEP32,"
                             "19 SEL01,20 SEL99"));
}

TEST(CommandScript, AnythingElseRefusesTheWholeScriptNamingLineAndExpectation)
{
    // Each row: the line, a tab, and what the refusal says.
    const QString rows = QStringLiteral(
        "SPD\texpected SPD and a speed of one to three digits, as SPD150, not \"SPD\"\n"
        "SPD1500\texpected SPD and a speed\nSPD15a\texpected SPD and a speed\n"
        "SPD 150\texpected SPD and a speed\n"
        "SEL1\texpected SEL and a slot of two digits, as SEL01, not \"SEL1\"\n"
        "SEL001\texpected SEL and a slot\nEEP\texpected EEP, a slot of two digits and the text\n"
        "EEP1あ\texpected EEP, a slot\nSTT \texpected a module command (MSG+text, STT, CLR0\n"
        "stt\texpected a module command\nCLR1\texpected a module command\n"
        "SSD03\texpected a module command\nVERX\texpected a module command\n"
        " MSGあ\texpected a module command\nあいう\texpected a module command\n"
        "MSGい\U0001F600\tシフトJISで送れない文字があります \U0001F600 (U+1F600)");
    for (const QString &row : rows.split(u'\n')) {
        const QString line = row.section(u'\t', 0, 0);
        SCOPED_TRACE(line.toStdString());
        const CommandScript script = readCommandScript("# check\nSPD150\n" + line + "\nSTT\n");
        EXPECT_EQ(script.refusedLine, 3);
        EXPECT_TRUE(script.refusal.contains(row.section(u'\t', 1))) << script.refusal.toStdString();
        EXPECT_TRUE(script.lines.isEmpty());
    }
    for (const QString &empty : {QString(), QStringLiteral("# only a comment\n\n")})
        EXPECT_EQ(readCommandScript(empty).refusal,
                  QStringLiteral("the script holds no command to send"));
    EXPECT_EQ(readCommandScript(QStringLiteral("STT\n").repeated(32768)).refusal,
              QStringLiteral("the script holds more than 32767 commands"));
}

} // namespace
