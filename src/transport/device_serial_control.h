#pragma once

#include "transport/serial_control.h"

// The serial control of the program: at each open it takes the device that the port number
// reaches and hands the port to the serial control that can reach it, the system's serial
// control for a device, the network control for "rfc2217://" and "tcp://" names.
// Everything else goes to the control of the last open; the window cannot tell them apart.
class DeviceSerialControl final : public SerialControl
{
    Q_OBJECT

public:
    explicit DeviceSerialControl(QObject *parent = nullptr);

    int CommPort() const override { return commPort_; }
    void setCommPort(int port) override { commPort_ = port; }
    bool PortOpen() const override { return active_->PortOpen(); }
    bool setPortOpen(bool open) override;
    OpenStart startOpen() override;
    bool isOpening() const override { return active_->isOpening(); }
    QString errorText() const override { return active_->errorText(); }
    OpenFailureCause errorCause() const override { return active_->errorCause(); }
    void Output(const QString &text) override { active_->Output(text); }
    QString Input() override { return active_->Input(); }
    int CommEvent() const override { return active_->CommEvent(); }
    qint64 bytesToWrite() const override { return active_->bytesToWrite(); }
    bool drainOutput(int milliseconds) override { return active_->drainOutput(milliseconds); }
    DeviceIdentity openedIdentity() const override { return active_->openedIdentity(); }

private:
    void relay(SerialControl &control);
    // The control of the selected port; the one open or opening stays until it closes.
    SerialControl &choose();

    SerialControl &serial_;
    SerialControl &network_;
    SerialControl *active_;
    int commPort_ = 1;
};
