#pragma once

#include "transport/stream_serial_control.h"

#include <QLockFile>
#include <QSerialPort>

#include <memory>

// The serial control over QSerialPort: 38400 bit/s, 8 data bits, no parity, one stop bit,
// no flow control, set on every open; text in code page 932 both ways.
class QtSerialControl final : public StreamSerialControl
{
    Q_OBJECT

public:
    explicit QtSerialControl(QObject *parent = nullptr);

    bool PortOpen() const override { return port_.isOpen(); }
    bool setPortOpen(bool open) override;
    void Output(const QString &text) override;
    qint64 bytesToWrite() const override;
    bool drainOutput(int milliseconds) override;
    DeviceIdentity openedIdentity() const override { return identity_; }

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    // Closes the port and lets go of the console's own locks of it.
    void closePort();

    QSerialPort &port_;
    // The lock of the device's real name while it is open under another (a by-id link).
    std::unique_ptr<QLockFile> realNameLock_;
    // The lock of the device's numbers while it is open, whatever name it was opened by.
    std::unique_ptr<QLockFile> numberLock_;
    DeviceIdentity identity_;
    bool closing_ = false;
};
