#include "transport/network_serial_control.h"

#include "transport/device_path.h"

NetworkSerialControl::NetworkSerialControl(QObject *parent)
    : SerialControl(parent)
    , link_(*new NetworkLink(this))
{
    connect(&link_, &NetworkLink::received, this, &NetworkSerialControl::onReceived);
    connect(&link_, &NetworkLink::lost, this, &NetworkSerialControl::onLost);
}

bool NetworkSerialControl::setPortOpen(bool open)
{
    if (!open) {
        if (link_.isOpen()) {
            link_.close();
            emit portEvent(QStringLiteral("CLOSE"), path_);
        }
        return true;
    }
    if (link_.isOpen())
        return true;
    path_ = devicePathForPort(commPort_);
    decoder_ = cp932::Decoder();
    received_.clear();
    const std::optional<NetworkPort> port = parseNetworkPort(path_);
    const QString cause = port ? link_.open(*port)
                               : QStringLiteral("not a network port (rfc2217://HOST:PORT or "
                                                "tcp://HOST:PORT, an IPv6 address in brackets)");
    if (!cause.isEmpty()) {
        errorCause_ = {port ? OpenFailureKind::ServerUnreached : OpenFailureKind::NotNetworkPort,
                       QString()};
        errorText_ = path_ + QStringLiteral(": ") + cause;
        emit portEvent(QStringLiteral("OPEN-FAILED"), errorText_);
        return false;
    }
    errorText_.clear();
    emit portEvent(QStringLiteral("OPEN"), path_);
    return true;
}

void NetworkSerialControl::Output(const QString &text)
{
    if (!link_.isOpen())
        return;
    const QByteArray bytes = cp932::encode(text);
    emit traffic(Direction::Out, bytes, text);
    link_.write(bytes);
}

QString NetworkSerialControl::Input()
{
    QString text;
    text.swap(received_);
    return text;
}

void NetworkSerialControl::onReceived(const QByteArray &bytes)
{
    const QString text = decoder_.decode(bytes);
    emit traffic(Direction::In, bytes, text);
    // A lone lead byte decodes to nothing yet; it becomes text with the next arrival.
    if (text.isEmpty())
        return;
    received_ += text;
    commEvent_ = comEvReceive;
    emit OnComm();
}

void NetworkSerialControl::onLost(const QString &reason)
{
    emit deviceLost(path_ + QStringLiteral(": ") + reason);
}
