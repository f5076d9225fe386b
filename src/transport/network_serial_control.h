#pragma once

#include "transport/network_link.h"
#include "transport/stream_serial_control.h"

class QEventLoop;

// The serial control for a module behind a serial-port server: the port's name is
// "rfc2217://HOST:PORT" or "tcp://HOST:PORT" (see NetworkPort). The connection stands in for
// the device: a server that cannot be reached fails the open, a connection that drops is a
// device lost. The open runs on the event loop (startOpen); bytes count as gone out once the
// connection has taken them.
class NetworkSerialControl final : public StreamSerialControl
{
    Q_OBJECT

public:
    explicit NetworkSerialControl(QObject *parent = nullptr);

    bool PortOpen() const override { return link_.isOpen(); }
    bool setPortOpen(bool open) override;
    OpenStart startOpen() override;
    bool isOpening() const override { return link_.isOpening(); }
    void Output(const QString &text) override;
    qint64 bytesToWrite() const override { return link_.pendingBytes(); }
    bool drainOutput(int milliseconds) override { return link_.waitUntilAccepted(milliseconds); }

private:
    void onOpened();
    void onOpenFailed(const QString &cause, const OpenFailureCause &kind);
    void onLost(const QString &reason);

    NetworkLink &link_;
    // The loop setPortOpen(true) runs while the open it started is pending.
    QEventLoop *waiting_ = nullptr;
};
