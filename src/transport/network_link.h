#pragma once

#include "transport/network_port.h"
#include "transport/open_failure_cause.h"
#include "transport/rfc2217_line.h"
#include "transport/tcp_connection.h"
#include "transport/telnet_session.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

// One connection at a time to a port of a serial-port server, on the event loop of the
// thread that owns it: the name look-up, the connection and the line settings run while the
// window goes on painting and answering; nothing here waits but waitUntilAccepted(). The
// connection itself comes from the network module, loaded by the first open.
class NetworkLink : public QObject, private TcpListener
{
    Q_OBJECT

public:
    // How long a server may take, look-up, connection and line settings together.
    static constexpr int openTimeoutMs = 5000;
    // A raw connection counts as open once the server has kept it this long: a server that
    // turns a client away (ser2net to a second client) closes it at once.
    static constexpr int rawSettleMs = 200;
    // How long a telnet subnegotiation may stay unended before it is dropped: a server sends
    // each whole at once.
    static constexpr int subnegotiationLimitMs = 500;

    explicit NetworkLink(QObject *parent = nullptr);
    ~NetworkLink() override;

    // Starts connecting, and over RFC 2217 setting the remote line to 38400 bit/s, 8 data
    // bits, no parity, one stop bit and no flow control once the server agrees to the COM
    // port option; each setting must come back confirmed. Ends in opened() or openFailed().
    // lineSettings false only connects: enough to learn whether a server answers.
    void open(const NetworkPort &port, int timeoutMs = openTimeoutMs, bool lineSettings = true);
    // Closes the connection, or gives up an open under way without a signal.
    void close();
    bool isOpen() const { return stage_ == Stage::Open; }
    bool isOpening() const { return stage_ == Stage::Connecting || stage_ == Stage::Settling; }

    // Sends the bytes, exact: over telnet a 0xFF goes out doubled. Nothing unless open.
    void write(const QByteArray &bytes);
    // Bytes written that the connection has not taken yet.
    qint64 pendingBytes() const;
    // Waits, for at most the given time, until the connection has taken every byte written.
    // False when the time ran out or the connection is closed or failed.
    bool waitUntilAccepted(int milliseconds);

signals:
    void opened();
    // The open failed; the cause in words ("connection refused (no server on that port)").
    void openFailed(const QString &cause, const OpenFailureCause &kind);
    // Bytes from the module, exact.
    void received(const QByteArray &bytes);
    // The connection went away while open; the link is closed.
    void lost(const QString &reason);
    // Something of the server's protocol that the link passed over and the operator should
    // know: a subnegotiation dropped, an answer not understood.
    void noted(const QString &note);

private:
    enum class Stage { Closed, Connecting, Settling, Open };

    void tcpConnected() override;
    void tcpReceived(const QByteArray &bytes) override;
    void tcpFailed(const TcpFailure &failure) override;
    void onTimeout();
    void takeTelnet(const QByteArray &bytes);
    void takeRaw(const QByteArray &bytes);
    void dropUnendedSubnegotiation();
    void noteLineAnswers();
    void becomeOpen();
    // Drops the connection, then reports: the cause is a copy, as drop() clears what the
    // link held.
    void fail(QString cause, OpenFailureCause kind = {OpenFailureKind::ServerUnreached, {}});
    QString closedCause() const;
    QString address() const;
    void drop();

    std::unique_ptr<TcpConnection> connection_;
    // True while open() runs: an outcome found before it returns (a refusal some systems
    // report from inside the connect call, a module that did not load) is kept and told from
    // the event loop, once the caller has started waiting for it.
    bool inOpenCall_ = false;
    struct Failure
    {
        QString cause;
        OpenFailureCause kind;
    };
    std::optional<Failure> heldFailure_;
    QTimer deadline_;
    QTimer settle_;
    QTimer subnegotiation_;
    qsizetype lineNotesTold_ = 0;
    NetworkPort port_;
    int timeoutMs_ = openTimeoutMs;
    bool lineSettings_ = true;
    Stage stage_ = Stage::Closed;
    std::optional<TelnetSession> telnet_;
    Rfc2217Line line_;
    bool settingsSent_ = false;
    bool anyReceived_ = false;
    bool connected_ = false; // the server accepted the connection
    QByteArray saidWhileOpening_;
};
