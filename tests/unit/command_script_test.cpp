// Scripts of module commands: what a line may be, and how a script is refused.
#include "messages/command_script.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandScript, EachCommandIsSentAsWritten)
{
    const struct
    {
        const char16_t *line;
        bool isCommand; // false: skipped
    } rows[] = {
        {u"MSGあいうえお", true}, {u"MSG", true},   {u"MSG<&>abc", true}, {u"STT", true},
        {u"CLR0", true},          {u"VER", true},   {u"SPD150", true},    {u"SPD5", true},
        {u"SPD999", true},        {u"SSD01", true}, {u"SSD02", true},     {u"EEP01あいう", true},
        {u"EEP32", true},         {u"SEL01", true}, {u"SEL99", true},     {u"", false},
        {u"  \t", false},         {u"#", false},    {u"# MSGあ", false},
    };
    for (const auto &row : rows) {
        const QString line = QString::fromUtf16(row.line);
        SCOPED_TRACE(line.toStdString());
        const CommandScript script = readCommandScript(QStringLiteral("# check\r\n") + line
                                                       + QStringLiteral("\r\nSTT\r\n"));
        ASSERT_FALSE(script.isRefused()) << script.refusal.toStdString();
        QList<int> numbers;
        QStringList commands;
        for (const ScriptLine &command : script.lines) {
            numbers.append(command.number);
            commands.append(command.command);
        }
        EXPECT_EQ(numbers, row.isCommand ? QList<int>({2, 3}) : QList<int>({3}));
        EXPECT_EQ(commands, row.isCommand ? QStringList({line, "STT"}) : QStringList({"STT"}));
    }
}

TEST(CommandScript, AnythingElseRefusesTheWholeScriptNamingLineAndExpectation)
{
    const QString anyCommand = QStringLiteral("expected a module command (MSG+text");
    const struct
    {
        const char16_t *line;
        QString says;
    } rows[] = {
        {u"SPD", "expected SPD and a speed of one to three digits"},
        {u"SPD1500", "expected SPD and a speed"},
        {u"SPD15a", "expected SPD and a speed"},
        {u"SPD 150", "expected SPD and a speed"},
        {u"SEL1", "expected SEL and a slot of two digits, as SEL01, not \"SEL1\""},
        {u"SEL001", "expected SEL and a slot"},
        {u"EEP1あ", "expected EEP, a slot of two digits and the text"},
        {u"EEP", "expected EEP, a slot"},
        {u"STT ", anyCommand},
        {u"stt", anyCommand},
        {u"CLR1", anyCommand},
        {u"SSD03", anyCommand},
        {u"VERX", anyCommand},
        {u" MSGあ", anyCommand},
        {u"あいう", anyCommand},
        {u"MSGい\U0001F600",
         QString::fromUtf16(u"シフトJISで送れない文字があります \U0001F600 (U+1F600)")},
    };
    for (const auto &row : rows) {
        const QString line = QString::fromUtf16(row.line);
        SCOPED_TRACE(line.toStdString());
        const CommandScript script = readCommandScript(QStringLiteral("# check\nSPD150\n") + line
                                                       + QStringLiteral("\nSTT\n"));
        EXPECT_TRUE(script.isRefused());
        EXPECT_EQ(script.refusedLine, 3);
        EXPECT_TRUE(script.refusal.contains(row.says)) << script.refusal.toStdString();
        EXPECT_TRUE(script.lines.isEmpty());
    }
    for (const QString &empty : {QString(), QStringLiteral("# only a comment\n\n")}) {
        const CommandScript script = readCommandScript(empty);
        EXPECT_EQ(script.refusedLine, 0);
        EXPECT_EQ(script.refusal, QStringLiteral("the script holds no command to send"));
    }
    const CommandScript tooLong = readCommandScript(QStringLiteral("STT\n").repeated(32768));
    EXPECT_EQ(tooLong.refusal, QStringLiteral("the script holds more than 32767 commands"));
}

} // namespace
