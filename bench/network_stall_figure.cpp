// The longest stall of the window's event loop while a network port is reached: OPEN on a
// server that accepts the connection and then never answers (the open's whole time limit),
// and the retries of a lost network port against such a server. A timer of 5 ms notes the
// longest gap between its ticks; with nothing blocking, it stays near 5 ms.
#include "bench_console.h"
#include "event_wait.h"
#include "figures.h"
#include "report.h"

#include "transport/rfc2217_line.h"
#include "transport/serial_control.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <vector>

namespace {

// An RFC 2217 server on 127.0.0.1 that, while it answers, agrees to the options and confirms
// the console's line settings, and otherwise keeps every connection and says nothing.
class StallServer : public QObject
{
public:
    bool answers = true;
    int connections = 0;

    bool listen()
    {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                ++connections;
                sockets_.push_back(socket);
                if (!answers)
                    continue;
                // DO and WILL BINARY, DO COM-PORT-OPTION.
                socket->write(QByteArray("\xFF\xFD\x00\xFF\xFB\x00\xFF\xFD\x2C", 9));
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains(Rfc2217Line::requests().left(4)))
                        return;
                    // Each setting answered with the value asked for (command + 100).
                    QByteArray answer = Rfc2217Line::requests();
                    for (qsizetype at = 0; (at = answer.indexOf("\xFF\xFA\x2C", at)) >= 0; at += 3)
                        answer[at + 3] = char(answer[at + 3] + 100);
                    socket->write(answer);
                });
            }
        });
        return server_.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return server_.serverPort(); }
    // Drops every connection at once, as a server that stopped.
    void dropAll()
    {
        for (QTcpSocket *socket : sockets_)
            socket->abort();
        sockets_.clear();
    }

private:
    QTcpServer server_;
    std::vector<QTcpSocket *> sockets_;
};

} // namespace

int benchNetworkStall(const QStringList &)
{
    StallServer server;
    if (!server.listen())
        return 1;
    qputenv("PARLINO_COM1", QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port()).toLatin1());
    BenchConsole console;
    SerialControl &serial = *console.form().MSComm1;

    // OPEN on a server that never answers: pending until the open's limit of 5 s.
    server.answers = false;
    QElapsedTimer opening;
    opening.start();
    console.form().Command5_Click();
    report("stall_open_ms", longestGapMs(8000, [&] { return !serial.isOpening(); }));
    report("open_given_up_after_ms", double(opening.elapsed()));

    // A port that opened and was lost, retried against a server that now never answers.
    server.answers = true;
    console.form().Command6_Click();
    if (!console.open()) {
        std::fprintf(stderr, "network-stall: the port did not open on the answering server\n");
        return 1;
    }
    server.answers = false;
    const int before = server.connections;
    server.dropAll();
    report("stall_retry_ms", longestGapMs(15000));
    report("retries", double(server.connections - before));
    return 0;
}
