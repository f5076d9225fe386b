#pragma once

#include "transport/network_port.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class GensioLoop;

// One connection at a time to a port of a serial-port server, through the gensio library.
// The library runs on a thread of its own (GensioLoop); this object lives on the Qt thread
// and hands what arrives, and the loss of the connection, over as queued signals, so the
// Qt side never waits on the network except in open(), close() and waitUntilAccepted().
class NetworkLink : public QObject
{
    Q_OBJECT

public:
    // How long a server may take to accept the connection and, over RFC 2217, the line
    // settings, before the open counts as failed.
    static constexpr int openTimeoutMs = 5000;

    explicit NetworkLink(QObject *parent = nullptr);
    ~NetworkLink() override;

    // Connects, and over RFC 2217 sets the remote line to 38400 bit/s, 8 data bits, no
    // parity, one stop bit and no flow control, each as the server confirms it. Waits for at
    // most timeoutMs. Returns an empty string when the link is open, else the cause, in
    // words (connection refused, unknown host, no answer, the setting the server refused).
    // lineSettings false only connects: enough to learn whether a server answers.
    QString open(const NetworkPort &port, int timeoutMs = openTimeoutMs, bool lineSettings = true);
    // Closes the connection, if any, and waits briefly until it is closed, so that a server
    // that takes one client at a time accepts the next open at once.
    void close();
    bool isOpen() const { return open_; }

    // Queues the bytes for the connection; the library escapes 0xFF over telnet. Nothing
    // while closed.
    void write(const QByteArray &bytes);
    // Bytes written that the connection has not accepted yet.
    qint64 pendingBytes() const;
    // Waits, for at most the given time, until the connection has accepted every byte
    // written. False when the time ran out or the connection is closed or failed.
    bool waitUntilAccepted(int milliseconds);

signals:
    // Bytes from the module, exact.
    void received(const QByteArray &bytes);
    // The connection went away while open (the server stopped, the network failed); the
    // link is closed.
    void lost(const QString &reason);

private:
    struct Connection;

    void deliver(quint64 generation, const QByteArray &bytes);
    void connectionFailed(quint64 generation, const QString &reason);

    GensioLoop *loop_ = nullptr; // the program's one loop, from the first open on
    std::shared_ptr<Connection> connection_;
    // Every connection the library may still hold, the open one included; the loop must
    // outlive them.
    std::vector<std::shared_ptr<Connection>> unreleased_;
    quint64 generation_ = 0;
    bool open_ = false;
};

// Whether a network port answers: a connection that opens and closes again, without touching
// the line settings. Empty when it answers, else why not. Waits at most timeoutMs.
QString probeNetworkPort(const NetworkPort &port, int timeoutMs);
