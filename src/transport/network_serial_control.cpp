#include "transport/network_serial_control.h"

#include "platform/console_output.h"

#include <QEventLoop>

NetworkSerialControl::NetworkSerialControl(QObject *parent)
    : StreamSerialControl(parent)
    , link_(*new NetworkLink(this))
{
    connect(&link_, &NetworkLink::opened, this, &NetworkSerialControl::onOpened);
    connect(&link_, &NetworkLink::openFailed, this, &NetworkSerialControl::onOpenFailed);
    connect(&link_, &NetworkLink::received, this, &NetworkSerialControl::receive);
    connect(&link_, &NetworkLink::lost, this, &NetworkSerialControl::onLost);
    // What the link passed over of the server's protocol goes into the transcript and onto
    // standard error, where a run's operator looks.
    connect(&link_, &NetworkLink::noted, this, [this](const QString &note) {
        const QString said = path() + QStringLiteral(": ") + note;
        emit portEvent(QStringLiteral("SERVER"), said);
        reportToConsole(said);
    });
}

SerialControl::OpenStart NetworkSerialControl::startOpen()
{
    if (link_.isOpen())
        return OpenStart::Opened;
    if (link_.isOpening())
        return OpenStart::Pending;
    const QString &path = beginOpen();
    const std::optional<NetworkPort> port = parseNetworkPort(path);
    if (!port) {
        refuseOpen(path + QStringLiteral(": ") + networkPortProblem(path),
                   {OpenFailureKind::NotNetworkPort, {}});
        return OpenStart::Failed;
    }
    link_.open(*port);
    return OpenStart::Pending;
}

bool NetworkSerialControl::setPortOpen(bool open)
{
    if (!open) {
        if (link_.isOpen()) {
            link_.close();
            reportClosed();
        } else if (link_.isOpening()) {
            link_.close();
            refuseOpen(path()
                       + QStringLiteral(": the open was given up before the server "
                                        "answered"));
            if (waiting_)
                waiting_->exit(0);
        }
        return true;
    }
    const OpenStart start = startOpen();
    if (start != OpenStart::Pending)
        return start == OpenStart::Opened;
    // Whoever asks this way has nothing to show meanwhile (a scripted run); the event loop
    // still runs, so a termination request can give the open up.
    QEventLoop wait;
    waiting_ = &wait;
    const QMetaObject::Connection done
        = connect(this, &SerialControl::openFinished, &wait, [&wait](bool opened) {
              wait.exit(opened ? 1 : 0);
          });
    const int opened = wait.exec();
    disconnect(done);
    waiting_ = nullptr;
    return opened == 1 && link_.isOpen();
}

void NetworkSerialControl::onOpened()
{
    reportOpened();
    emit openFinished(true);
}

void NetworkSerialControl::onOpenFailed(const QString &cause, const OpenFailureCause &kind)
{
    refuseOpen(path() + QStringLiteral(": ") + cause, kind);
    emit openFinished(false);
}

void NetworkSerialControl::Output(const QString &text)
{
    if (link_.isOpen())
        link_.write(outgoing(text));
}

void NetworkSerialControl::onLost(const QString &reason)
{
    emit deviceLost(path() + QStringLiteral(": ") + reason);
}
