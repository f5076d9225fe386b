// STT round trip, from the write of "STT" CR to the whole reply, through the console's serial
// control: on the simulator's pseudo-terminal directly, and over RFC 2217 on 127.0.0.1 through
// Debian's ser2net and through the python3-serial example server to the same terminal.
#include "figures.h"
#include "report.h"
#include "sim_process.h"
#include "support/local_port.h"

#include "transport/serial_control.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int tripsPerRun = 50;

// The median of one run of STT round trips on COM1, in milliseconds; negative on failure.
double medianRoundTripMs(SerialControl &serial)
{
    std::vector<double> trips;
    for (int trip = 0; trip < tripsPerRun; ++trip) {
        QString reply;
        QEventLoop loop;
        const QMetaObject::Connection arrival
            = QObject::connect(&serial, &SerialControl::OnComm, &loop, [&] {
                  reply += serial.Input();
                  if (reply.contains(u'\r'))
                      loop.quit();
              });
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        serial.Output(QStringLiteral("STT\r"));
        loop.exec();
        const double ms = clock.nsecsElapsed() / 1e6;
        QObject::disconnect(arrival);
        if (!reply.startsWith(QLatin1String("stt")))
            return -1;
        trips.push_back(ms);
    }
    std::sort(trips.begin(), trips.end());
    return trips[trips.size() / 2];
}

// Opens COM1, retrying while a server that was just started does not listen yet.
bool openPort(SerialControl &serial)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (serial.setPortOpen(true))
            return true;
        QThread::msleep(100);
    }
    std::fprintf(stderr, "stt-round-trip: %s\n", qPrintable(serial.errorText()));
    return false;
}

} // namespace

int benchSttRoundTrip(const QStringList &arguments)
{
    const int runs = arguments.value(0, QStringLiteral("5")).toInt();
    QTemporaryDir logDir;
    SimProcess sim(logDir.filePath(QStringLiteral("sim.log")));
    if (sim.ptyPath().isEmpty())
        return 1;
    const std::unique_ptr<SerialControl> serial = makeSerialControl();
    serial->setCommPort(1);

    if (!openPort(*serial))
        return 1;
    for (int run = 0; run < runs; ++run)
        report("stt_pty_ms", medianRoundTripMs(*serial));
    serial->setPortOpen(false);

    const QString ser2net
        = QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin")});
    if (ser2net.isEmpty()) {
        std::fprintf(stderr, "stt-round-trip: ser2net is not installed\n");
        return 1;
    }
    // Two ports on the same terminal: ser2net as it comes, and without its wait for more
    // characters before it sends what the serial side read (chardelay).
    const int port = freeLocalPort();
    int quickPort = freeLocalPort();
    while (quickPort == port)
        quickPort = freeLocalPort();
    const QString connector
        = QStringLiteral("  connector: serialdev,%1,38400n81,local").arg(sim.ptyPath());
    QStringList configuration = {
        QStringLiteral("connection: &module"),
        QStringLiteral("  accepter: telnet(rfc2217),tcp,127.0.0.1,%1").arg(port),
        connector,
        QStringLiteral("connection: &quick"),
        QStringLiteral("  accepter: telnet(rfc2217),tcp,127.0.0.1,%1").arg(quickPort),
        connector,
        QStringLiteral("  options:"),
        QStringLiteral("    chardelay: false"),
    };
    QStringList serverArguments = {QStringLiteral("-n"), QStringLiteral("-u")};
    for (const QString &line : configuration)
        serverArguments << QStringLiteral("-Y") << line;
    QProcess server;
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start(ser2net, serverArguments);
    if (!server.waitForStarted(5000))
        return 1;
    const std::pair<int, const char *> measured[]
        = {{port, "stt_rfc2217_ms"}, {quickPort, "stt_rfc2217_nodelay_ms"}};
    for (const auto &[serverPort, key] : measured) {
        qputenv("PARLINO_COM1",
                QStringLiteral("rfc2217://127.0.0.1:%1").arg(serverPort).toLatin1());
        if (!openPort(*serial))
            return 1;
        for (int run = 0; run < runs; ++run)
            report(key, medianRoundTripMs(*serial));
        serial->setPortOpen(false);
    }
    server.terminate();
    server.waitForFinished(3000);

    // The example server, as the tests run it (127.0.0.1, modem lines stubbed), when
    // python3-serial is installed.
    const int examplePort = freeLocalPort();
    QProcess example;
    example.setStandardOutputFile(QProcess::nullDevice());
    example.setStandardErrorFile(QProcess::nullDevice());
    example.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(PARLINO_EXAMPLE_SERVER),
                   QStringLiteral("-p"),
                   QString::number(examplePort),
                   sim.ptyPath()});
    QElapsedTimer waited;
    waited.start();
    while (example.waitForStarted(5000) && !listensOnLocalPort(examplePort)
           && waited.elapsed() < 10000)
        QThread::msleep(50);
    if (!listensOnLocalPort(examplePort)) {
        std::fprintf(stderr, "stt-round-trip: the python3-serial example server does not run\n");
        return 1;
    }
    qputenv("PARLINO_COM1", QStringLiteral("rfc2217://127.0.0.1:%1").arg(examplePort).toLatin1());
    if (!openPort(*serial))
        return 1;
    for (int run = 0; run < runs; ++run)
        report("stt_rfc2217_python_ms", medianRoundTripMs(*serial));
    serial->setPortOpen(false);
    example.kill();
    example.waitForFinished(3000);
    return 0;
}
