#pragma once

#include "text/cp932.h"
#include "transport/network_link.h"
#include "transport/serial_control.h"

// The serial control for a module behind a serial-port server: the port's name is
// "rfc2217://HOST:PORT" or "tcp://HOST:PORT" (see NetworkPort). The connection stands in for
// the device: a server that cannot be reached fails the open, a connection that drops is a
// device lost. Bytes count as gone out once the connection has accepted them.
class NetworkSerialControl final : public SerialControl
{
    Q_OBJECT

public:
    explicit NetworkSerialControl(QObject *parent = nullptr);

    int CommPort() const override { return commPort_; }
    void setCommPort(int port) override { commPort_ = port; }
    bool PortOpen() const override { return link_.isOpen(); }
    bool setPortOpen(bool open) override;
    QString errorText() const override { return errorText_; }
    OpenFailureCause errorCause() const override { return errorCause_; }
    void Output(const QString &text) override;
    QString Input() override;
    int CommEvent() const override { return commEvent_; }
    qint64 bytesToWrite() const override { return link_.pendingBytes(); }
    bool drainOutput(int milliseconds) override { return link_.waitUntilAccepted(milliseconds); }

private:
    void onReceived(const QByteArray &bytes);
    void onLost(const QString &reason);

    NetworkLink &link_;
    cp932::Decoder decoder_;
    QString received_;
    QString errorText_;
    OpenFailureCause errorCause_;
    QString path_; // the name of the last open
    int commPort_ = 1;
    int commEvent_ = 0;
};
