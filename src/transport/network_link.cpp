#include "transport/network_link.h"

#include "transport/tcp_connection_loader.h"

#include <QDeadlineTimer>

#include <utility>

namespace {

// What a server said before it turned the client away is kept up to this much, for the cause.
constexpr qsizetype saidLimit = 200;

} // namespace

NetworkLink::NetworkLink(QObject *parent)
    : QObject(parent)
{
    deadline_.setSingleShot(true);
    // A coarse timer may end the open up to 5 % early.
    deadline_.setTimerType(Qt::PreciseTimer);
    settle_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &NetworkLink::onTimeout);
    connect(&settle_, &QTimer::timeout, this, &NetworkLink::becomeOpen);
    subnegotiation_.setSingleShot(true);
    connect(&subnegotiation_, &QTimer::timeout, this, &NetworkLink::dropUnendedSubnegotiation);
}

NetworkLink::~NetworkLink()
{
    drop();
}

void NetworkLink::open(const NetworkPort &port, int timeoutMs, bool lineSettings)
{
    drop();
    port_ = port;
    timeoutMs_ = timeoutMs;
    lineSettings_ = lineSettings;
    stage_ = Stage::Connecting;
    const TcpConnections connections = tcpConnections();
    inOpenCall_ = true;
    if (!connections.make) {
        fail(connections.problem, {OpenFailureKind::Other, {}});
    } else {
        connection_.reset(connections.make(this, this));
        deadline_.start(timeoutMs);
        // The look-up and the connection run on the event loop; the answer comes as an event,
        // but a refusal may come from inside the call (Windows on a local port).
        connection_->connectToHost(port.host, quint16(port.port));
    }
    inOpenCall_ = false;
}

void NetworkLink::tcpConnected()
{
    connected_ = true;
    if (port_.protocol == NetworkPort::Protocol::Rfc2217) {
        telnet_.emplace(lineSettings_);
        connection_->write(telnet_->start());
        if (!lineSettings_)
            becomeOpen();
        return;
    }
    // A plain telnet server: telnet framing both ways, no line settings asked.
    if (port_.protocol == NetworkPort::Protocol::Telnet) {
        telnet_.emplace(false);
        connection_->write(telnet_->start());
    }
    if (!lineSettings_) {
        becomeOpen();
        return;
    }
    stage_ = Stage::Settling;
    settle_.start(rawSettleMs);
}

void NetworkLink::tcpReceived(const QByteArray &bytes)
{
    if (telnet_)
        takeTelnet(bytes);
    else
        takeRaw(bytes);
}

void NetworkLink::takeTelnet(const QByteArray &bytes)
{
    const TelnetSession::Input input = telnet_->read(bytes);
    if (!input.answers.isEmpty())
        connection_->write(input.answers);
    if (input.droppedSubnegotiations > 0)
        emit noted(QStringLiteral("a telnet subnegotiation of the server was too long or broken: "
                                  "dropped, the bytes after it kept"));
    if (!telnet_->inSubnegotiation())
        subnegotiation_.stop();
    else if (!subnegotiation_.isActive())
        subnegotiation_.start(subnegotiationLimitMs);
    if (isOpen()) {
        // Notifications of the line and modem state are subnegotiations: never data.
        if (!input.data.isEmpty())
            emit received(input.data);
        return;
    }
    // Before the open nothing is the module's answer to the console; a server that turns the
    // client away may say why.
    if (saidWhileOpening_.size() < saidLimit)
        saidWhileOpening_ += input.data.left(saidLimit - saidWhileOpening_.size());
    if (!lineSettings_ || port_.protocol == NetworkPort::Protocol::Telnet)
        return;
    if (telnet_->localRefused(TelnetSession::comPortOption)) {
        fail(QStringLiteral("the server offers no line settings (RFC 2217): for a plain telnet "
                            "port name it telnet://%1, for a raw port tcp://%1")
                 .arg(address()),
             {OpenFailureKind::SettingRefused, QStringLiteral("RFC 2217")});
        return;
    }
    // The settings are asked once the server has agreed to the option, not before.
    if (!settingsSent_ && telnet_->localEnabled(TelnetSession::comPortOption)) {
        settingsSent_ = true;
        connection_->write(Rfc2217Line::requests());
    }
    for (const QByteArray &sub : input.subnegotiations) {
        const Rfc2217Line::Progress progress = line_.read(sub);
        noteLineAnswers();
        switch (progress) {
        case Rfc2217Line::Progress::Waiting:
            break;
        case Rfc2217Line::Progress::Refused:
            fail(line_.refusal(), {OpenFailureKind::SettingRefused, line_.refusedSetting()});
            return;
        case Rfc2217Line::Progress::Confirmed:
            becomeOpen();
            return;
        }
    }
}

void NetworkLink::dropUnendedSubnegotiation()
{
    if (telnet_ && telnet_->dropSubnegotiation())
        emit noted(QStringLiteral("a telnet subnegotiation of the server was not ended within "
                                  "%1 ms: dropped, the bytes after it kept")
                       .arg(subnegotiationLimitMs));
}

void NetworkLink::noteLineAnswers()
{
    const QStringList &notes = line_.notes();
    for (; lineNotesTold_ < notes.size(); ++lineNotesTold_)
        emit noted(notes[lineNotesTold_]);
}

void NetworkLink::takeRaw(const QByteArray &bytes)
{
    const bool first = !anyReceived_;
    anyReceived_ = true;
    // Telnet is told only by what the server sends before the port counts as open: once it
    // is, the same bytes are the module's (line noise on its first reply included).
    if (first && !isOpen() && looksLikeTelnet(bytes)) {
        fail(QStringLiteral("the server speaks telnet: name the port rfc2217://%1 when it "
                            "offers line settings (RFC 2217), telnet://%1 when it does not")
                 .arg(address()),
             {OpenFailureKind::Other, {}});
        return;
    }
    if (isOpen()) {
        emit received(bytes);
        return;
    }
    if (saidWhileOpening_.size() < saidLimit)
        saidWhileOpening_ += bytes.left(saidLimit - saidWhileOpening_.size());
}

void NetworkLink::becomeOpen()
{
    if (!connection_ || stage_ == Stage::Open)
        return;
    // Opened from inside open() itself: told from the event loop, as a failure would be.
    if (inOpenCall_) {
        settle_.start(0);
        return;
    }
    deadline_.stop();
    settle_.stop();
    stage_ = Stage::Open;
    emit opened();
    // Said once the open is told, so that it follows the open in the transcript.
    if (isOpen() && port_.protocol == NetworkPort::Protocol::Telnet && lineSettings_)
        emit noted(QStringLiteral("a plain telnet server: the server's own line settings hold "
                                  "(it offers none to set)"));
}

QString NetworkLink::closedCause() const
{
    QString cause = QStringLiteral("the server closed the connection");
    const QString said = QString::fromLatin1(saidWhileOpening_).simplified();
    if (!said.isEmpty())
        cause += QStringLiteral(": ") + said;
    if (port_.protocol != NetworkPort::Protocol::Rfc2217)
        cause += QStringLiteral(" (at once: the port may be in use by another client)");
    return cause;
}

void NetworkLink::tcpFailed(const TcpFailure &failure)
{
    if (!connection_ || stage_ == Stage::Closed)
        return;
    using Kind = TcpFailure::Kind;
    if (isOpen()) {
        const QString reason = failure.kind == Kind::RemoteClosed || failure.closed
                                   ? QStringLiteral("the server closed the connection")
                                   : failure.text;
        drop();
        emit lost(reason);
        return;
    }
    switch (failure.kind) {
    case Kind::HostNotFound:
        fail(QStringLiteral("unknown host"), {OpenFailureKind::UnknownHost, {}});
        break;
    case Kind::Refused:
        fail(QStringLiteral("connection refused (no server on that port)"),
             {OpenFailureKind::ServerRefused, {}});
        break;
    case Kind::RemoteClosed:
        fail(closedCause(), {OpenFailureKind::ServerBusy, {}});
        break;
    case Kind::None:
        // Closed without an error of its own before the open was through: turned away.
        if (failure.closed) {
            fail(closedCause(), {OpenFailureKind::ServerBusy, {}});
            break;
        }
        [[fallthrough]];
    case Kind::Other:
        fail(failure.text);
        break;
    }
}

void NetworkLink::onTimeout()
{
    if (!isOpening())
        return;
    if (heldFailure_) {
        const Failure failure = *std::exchange(heldFailure_, std::nullopt);
        stage_ = Stage::Closed;
        emit openFailed(failure.cause, failure.kind);
    } else if (connected_)
        fail(QStringLiteral("the server at %1 accepted the connection but did not answer within "
                            "%2 s")
                 .arg(address(), QString::number(timeoutMs_ / 1000.0)),
             {OpenFailureKind::ServerSilent, {}});
    else
        fail(QStringLiteral("no answer from %1 within %2 s")
                 .arg(address(), QString::number(timeoutMs_ / 1000.0)));
}

QString NetworkLink::address() const
{
    const QString host = port_.host.contains(u':') ? u'[' + port_.host + u']' : port_.host;
    return host + u':' + QString::number(port_.port);
}

void NetworkLink::fail(QString cause, OpenFailureCause kind)
{
    drop();
    if (!inOpenCall_) {
        emit openFailed(cause, kind);
        return;
    }
    // Still opening as far as the caller can see, until the failure is told.
    heldFailure_ = Failure{std::move(cause), kind};
    stage_ = Stage::Connecting;
    deadline_.start(0);
}

void NetworkLink::drop()
{
    stage_ = Stage::Closed;
    deadline_.stop();
    settle_.stop();
    subnegotiation_.stop();
    telnet_.reset();
    line_ = Rfc2217Line();
    lineNotesTold_ = 0;
    connected_ = false;
    settingsSent_ = false;
    anyReceived_ = false;
    saidWhileOpening_.clear();
    heldFailure_.reset();
    // What was written still goes out; the socket goes once it has closed, or with the link.
    connection_.reset();
}

void NetworkLink::close()
{
    drop();
}

void NetworkLink::write(const QByteArray &bytes)
{
    if (!isOpen() || bytes.isEmpty())
        return;
    connection_->write(telnet_ ? TelnetSession::escape(bytes) : bytes);
    // Hand the bytes to the system now rather than on the next pass of the event loop.
    connection_->flush();
}

qint64 NetworkLink::pendingBytes() const
{
    return isOpen() ? connection_->bytesToWrite() : 0;
}

bool NetworkLink::waitUntilAccepted(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (isOpen() && connection_->bytesToWrite() > 0) {
        if (deadline.hasExpired()
            || !connection_->waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
    return isOpen() && connection_->bytesToWrite() == 0;
}
