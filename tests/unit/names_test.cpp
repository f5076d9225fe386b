// Port names, reply classes and file dialog filters.
#include "link/port_names.h"
#include "link/reply.h"
#include "platform/file_dialog.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PortNames, OnlyTheSixteenNamesHaveNumbers)
{
    for (int port = 1; port <= 16; ++port)
        EXPECT_EQ(portNumberOf(QStringLiteral("COM%1").arg(port)), port);
    for (const char *name : {"COM0", "COM17", "com3", "COM03", " COM3", "COM3 ", "", "COM"})
        EXPECT_EQ(portNumberOf(QString::fromLatin1(name)), 0) << name;
}

TEST(ReplyClass, ByTheFirstCharactersOnly)
{
    const struct
    {
        const char *received;
        ReplyClass reply;
    } rows[] = {
        {"", ReplyClass::None},
        {"st", ReplyClass::None},
        {"ver 1.00\r", ReplyClass::None},
        {"STT 0\r", ReplyClass::None},
        {">\r", ReplyClass::None},
        {"0\r", ReplyClass::None},
        {"stt 0", ReplyClass::Idle},
        {"stt 0\r", ReplyClass::Idle},
        {"stt 0xyz", ReplyClass::Idle},
        {"stt 1\r", ReplyClass::Speaking},
        {"stt-1\r", ReplyClass::Error},
        {"stt", ReplyClass::Other},
        {"stt 2\r", ReplyClass::Other},
        {"stt \r", ReplyClass::Other},
    };
    for (const auto &row : rows)
        EXPECT_EQ(classifyReply(QString::fromLatin1(row.received)), row.reply) << row.received;
}

TEST(FileDialogFilter, BarSeparatedPairsBecomeNameFilters)
{
    EXPECT_EQ(qtNameFilters(QStringLiteral("ﾃｷｽﾄ(*.txt)|*.txt|すべてのファイル(*.*)|*.*|")),
              (QStringList{QStringLiteral("ﾃｷｽﾄ(*.txt) (*.txt)"),
                           QStringLiteral("すべてのファイル(*.*) (*)")}));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Logs|*.log;*.txt")),
              QStringList{QStringLiteral("Logs (*.log *.txt)")});
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());
}

} // namespace
