// The network control's opens against connections that answer from inside the connect call,
// as Windows does for a refused local port: the outcome is told only once the caller waits.
#include "transport/network_serial_control.h"
#include "transport/tcp_connection_loader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// What the next connection does inside connectToHost.
enum class AtConnect { Refuse, HostNotFound, Close, Connect };
AtConnect atConnect = AtConnect::Refuse;

class InstantConnection final : public TcpConnection
{
public:
    explicit InstantConnection(TcpListener *listener)
        : listener_(listener)
    {}
    void connectToHost(const QString &, quint16) override
    {
        using Kind = TcpFailure::Kind;
        switch (atConnect) {
        case AtConnect::Refuse:
            listener_->tcpFailed({Kind::Refused, true, QStringLiteral("Connection refused")});
            break;
        case AtConnect::HostNotFound:
            listener_->tcpFailed({Kind::HostNotFound, true, QStringLiteral("Host not found")});
            break;
        case AtConnect::Close:
            listener_->tcpFailed({Kind::RemoteClosed, true, QStringLiteral("closed")});
            break;
        case AtConnect::Connect:
            listener_->tcpConnected();
            break;
        }
    }
    void write(const QByteArray &) override {}
    void flush() override {}
    qint64 bytesToWrite() const override { return 0; }
    bool waitForBytesWritten(int) override { return true; }

private:
    TcpListener *listener_;
};

TcpConnection *makeInstantConnection(TcpListener *listener, QObject *)
{
    return new InstantConnection(listener);
}

TEST(NetworkControl, AnOutcomeFromInsideTheConnectCallIsToldOnceTheCallerWaits)
{
    linkTcpConnections(&makeInstantConnection);
    const struct
    {
        const char *name;
        AtConnect at;
        bool opens;
        const char *says; // how the cause ends
    } rows[] = {
        {"tcp://127.0.0.1:9",
         AtConnect::Refuse,
         false,
         "connection refused (no server on that port)"},
        {"rfc2217://127.0.0.1:9",
         AtConnect::Refuse,
         false,
         "connection refused (no server on that port)"},
        {"telnet://127.0.0.1:9",
         AtConnect::Refuse,
         false,
         "connection refused (no server on that port)"},
        {"rfc2217://bench.invalid:9", AtConnect::HostNotFound, false, "unknown host"},
        {"tcp://127.0.0.1:9",
         AtConnect::Close,
         false,
         "the server closed the connection (at once: the port may be in use by another client)"},
        // A raw port connected at once still counts as open only after the server kept it.
        {"tcp://127.0.0.1:9", AtConnect::Connect, true, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        qputenv("PARLINO_COM4", row.name);
        atConnect = row.at;
        NetworkSerialControl control;
        control.setCommPort(4);
        QList<bool> finished;
        QStringList events;
        QObject::connect(
            &control, &SerialControl::openFinished, [&](bool opened) { finished << opened; });
        QObject::connect(&control,
                         &SerialControl::portEvent,
                         [&](const QString &kind, const QString &) { events << kind; });

        // Started by the window: pending, nothing told yet, then told once.
        EXPECT_EQ(control.startOpen(), SerialControl::OpenStart::Pending);
        EXPECT_TRUE(control.isOpening());
        EXPECT_TRUE(finished.isEmpty());
        QElapsedTimer waited;
        waited.start();
        while (finished.isEmpty() && waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_EQ(finished, QList<bool>{row.opens});
        EXPECT_EQ(control.PortOpen(), row.opens);
        EXPECT_FALSE(control.isOpening());
        EXPECT_EQ(events, QStringList{QLatin1String(row.opens ? "OPEN" : "OPEN-FAILED")});
        if (!row.opens) {
            EXPECT_TRUE(control.errorText().endsWith(QLatin1String(row.says)))
                << control.errorText().toStdString();
        }
        control.setPortOpen(false);

        // Asked to wait (a scripted run): the same outcome, never a wait without end.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&control] { control.setPortOpen(false); });
        guard.start(3000);
        waited.restart();
        EXPECT_EQ(control.setPortOpen(true), row.opens);
        EXPECT_LT(waited.elapsed(), 2000);
        EXPECT_TRUE(guard.isActive());
        control.setPortOpen(false);
    }
    qunsetenv("PARLINO_COM4");
}

} // namespace
