#pragma once

// One TCP connection to a serial-port server, as the network link needs it. The program does
// not link a network library: the implementation over Qt Network lives in a module of its own
// (libparlino-network.so, parlino-network.dll) that tcp_connection_loader.h loads the first
// time a network port is opened or probed, so a start that names no network port maps no
// network library. Module and program are built together: the interface is plain C++.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QObject;

// What ended a connection, or the attempt at one, as far as the link tells causes apart.
struct TcpFailure
{
    enum class Kind {
        HostNotFound, // the name look-up found no address
        Refused,      // nobody listens on that port
        RemoteClosed, // the server closed the connection
        None,         // the connection ended without an error of its own
        Other,        // anything else: the text says what
    };
    Kind kind = Kind::None;
    // The connection is gone by now (an error may also be reported while it still stands).
    bool closed = false;
    // The socket's own words for the error.
    QString text;
};

// Hears a connection's events, on the event loop of the thread that made the connection. The
// listener may delete the connection from inside any of them.
class TcpListener
{
public:
    virtual void tcpConnected() = 0;
    // Bytes that arrived, never empty.
    virtual void tcpReceived(const QByteArray &bytes) = 0;
    // The attempt failed, or the connection failed or went away; nothing follows.
    virtual void tcpFailed(const TcpFailure &failure) = 0;

protected:
    ~TcpListener() = default;
};

class TcpConnection
{
public:
    // Closes the connection: what was written still goes out, then the socket goes.
    virtual ~TcpConnection() = default;

    // Looks the host up and connects, on the event loop; the outcome comes to the listener.
    virtual void connectToHost(const QString &host, quint16 port) = 0;
    // Queues the bytes; they go out from the event loop, or at flush().
    virtual void write(const QByteArray &bytes) = 0;
    // Hands what is queued to the system now. The listener may hear of a failure from inside.
    virtual void flush() = 0;
    // Bytes written that the system has not taken yet.
    virtual qint64 bytesToWrite() const = 0;
    // Waits, for at most the given time, until the system has taken some of them; false when
    // the time ran out or the connection failed.
    virtual bool waitForBytesWritten(int milliseconds) = 0;
};

// The module's one entry: a connection that reports to the listener; its socket is a child
// of the parent, so it goes at the latest with it. Its name carries the interface's version,
// so a module of another build is refused rather than called.
using TcpConnectionFactory = TcpConnection *(*)(TcpListener *listener, QObject *parent);
#define PARLINO_TCP_CONNECTION_FACTORY parlino_tcp_connection_v1
