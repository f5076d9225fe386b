// The names a port is opened by: the device a COM number reaches, and network port names.
#include "transport/device_path.h"
#include "transport/network_port.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

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

TEST(NetworkPortName, SchemeHostAndPortOrWhyNot)
{
    using P = NetworkPort::Protocol;
    const struct
    {
        const char *name;
        std::optional<NetworkPort> port;
        const char *problem; // how the cause starts; empty for a good name
    } rows[] = {
        {"rfc2217://127.0.0.1:3001", NetworkPort{P::Rfc2217, "127.0.0.1", 3001}, ""},
        {"tcp://bench-7.lab:2000", NetworkPort{P::Tcp, "bench-7.lab", 2000}, ""},
        {"rfc2217://[::1]:65535", NetworkPort{P::Rfc2217, "::1", 65535}, ""},
        {"TCP://[fe80::1]:1", NetworkPort{P::Tcp, "fe80::1", 1}, ""},
        {"rfc2217://host", std::nullopt, "not a network port"},
        {"rfc2217://host:0", std::nullopt, "not a network port"},
        {"rfc2217://host:65536", std::nullopt, "not a network port"},
        {"rfc2217://::1:3001", std::nullopt, "not a network port"},
        {"rfc2217://:3001", std::nullopt, "not a network port"},
        {"tcp://host:2000/dev", std::nullopt, "not a network port"},
        {"tcp://user@host:2000", std::nullopt, "not a network port"},
        {"tcp://host:2000?x", std::nullopt, "not a network port"},
        {"tcp://a,b:2000", std::nullopt, "not a network port"},
        {"tcp://a(b):2000", std::nullopt, "not a network port"},
        {"telnet://host:23", NetworkPort{P::Telnet, "host", 23}, ""},
        {"telnet://host", std::nullopt, "not a network port"},
        {"udp://host:2000", std::nullopt, "unknown scheme udp://"},
        {"/dev/ttyUSB0", std::nullopt, nullptr},
        {"/dev/serial/by-id/usb-x:y", std::nullopt, nullptr},
    };
    for (const auto &row : rows) {
        const QString name = QString::fromLatin1(row.name);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isNetworkPortName(name), row.problem != nullptr);
        EXPECT_EQ(parseNetworkPort(name), row.port);
        if (row.problem) {
            const QString problem = networkPortProblem(name);
            EXPECT_EQ(problem.isEmpty(), *row.problem == 0);
            if (*row.problem) {
                EXPECT_TRUE(problem.startsWith(QString::fromLatin1(row.problem)))
                    << problem.toStdString();
            }
        }
    }
}

} // namespace
