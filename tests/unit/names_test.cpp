// Port names, reply classes, device paths and file dialog filters.
#include "link/port_names.h"
#include "link/reply.h"
#include "platform/device_path.h"
#include "platform/file_dialog.h"
#include "platform/network_port.h"

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

TEST(DevicePath, EnvironmentFirstThenTheSystemName)
{
    // No USB adapter of the machine the tests run on takes COM3 here.
    const QTemporaryDir noDevices;
    qputenv("PARLINO_SERIAL_BY_ID", QFile::encodeName(noDevices.path()));
    qunsetenv("PARLINO_COM3");
#ifdef Q_OS_WIN
    EXPECT_EQ(devicePathForPort(3), QStringLiteral("COM3"));
#else
    EXPECT_EQ(devicePathForPort(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(devicePathForPort(3), QStringLiteral("/dev/ttyS2"));
#endif
    qputenv("PARLINO_COM3", "/dev/ttyUSB0");
    EXPECT_EQ(devicePathForPort(3), QStringLiteral("/dev/ttyUSB0"));
    qunsetenv("PARLINO_COM3");
    qunsetenv("PARLINO_SERIAL_BY_ID");
}

TEST(NetworkPortName, SchemeHostAndPortOrNothing)
{
    using P = NetworkPort::Protocol;
    const struct
    {
        const char *name;
        std::optional<NetworkPort> port;
        const char *stack;
    } rows[] = {
        {"rfc2217://127.0.0.1:3001",
         NetworkPort{P::Rfc2217, "127.0.0.1", 3001},
         "telnet(rfc2217),tcp,127.0.0.1,3001"},
        {"tcp://bench-7.lab:2000",
         NetworkPort{P::Tcp, "bench-7.lab", 2000},
         "tcp,bench-7.lab,2000"},
        {"rfc2217://[::1]:65535",
         NetworkPort{P::Rfc2217, "::1", 65535},
         "telnet(rfc2217),tcp,::1,65535"},
        {"TCP://[fe80::1]:1", NetworkPort{P::Tcp, "fe80::1", 1}, "tcp,fe80::1,1"},
        {"rfc2217://host", std::nullopt, ""},
        {"rfc2217://host:0", std::nullopt, ""},
        {"rfc2217://host:65536", std::nullopt, ""},
        {"rfc2217://::1:3001", std::nullopt, ""},
        {"rfc2217://:3001", std::nullopt, ""},
        {"tcp://host:2000/dev", std::nullopt, ""},
        {"tcp://user@host:2000", std::nullopt, ""},
        {"tcp://host:2000?x", std::nullopt, ""},
        {"tcp://a,b:2000", std::nullopt, ""},
        {"tcp://a(b):2000", std::nullopt, ""},
        {"telnet://host:23", std::nullopt, ""},
        {"/dev/ttyUSB0", std::nullopt, ""},
    };
    for (const auto &row : rows) {
        const QString name = QString::fromLatin1(row.name);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isNetworkPortName(name),
                  name.startsWith(u"rfc2217://", Qt::CaseInsensitive)
                      || name.startsWith(u"tcp://", Qt::CaseInsensitive));
        const std::optional<NetworkPort> port = parseNetworkPort(name);
        EXPECT_EQ(port, row.port);
        if (port) {
            EXPECT_EQ(gensioStackOf(*port), QString::fromLatin1(row.stack));
        }
    }
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
