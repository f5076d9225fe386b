#pragma once

#include "text/cp932.h"
#include "transport/serial_control.h"

#include <QLockFile>
#include <QSerialPort>

#include <memory>

// The serial control over QSerialPort: 38400 bit/s, 8 data bits, no parity, one stop bit,
// no flow control, set on every open; text in code page 932 both ways.
class QtSerialControl final : public SerialControl
{
    Q_OBJECT

public:
    explicit QtSerialControl(QObject *parent = nullptr);

    int CommPort() const override { return commPort_; }
    void setCommPort(int port) override { commPort_ = port; }
    bool PortOpen() const override { return port_.isOpen(); }
    bool setPortOpen(bool open) override;
    QString errorText() const override { return errorText_; }
    OpenFailureCause errorCause() const override { return errorCause_; }
    void Output(const QString &text) override;
    QString Input() override;
    int CommEvent() const override { return commEvent_; }
    qint64 bytesToWrite() const override;
    bool drainOutput(int milliseconds) override;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    // Records the failed open's cause and reports it; false.
    bool refuseOpen(const QString &text, const OpenFailureCause &cause);

    QSerialPort &port_;
    cp932::Decoder decoder_;
    QString received_;
    QString errorText_;
    OpenFailureCause errorCause_;
    QString path_; // the device of the last open
    // The lock of the device's real name while it is open under another (a by-id link).
    std::unique_ptr<QLockFile> realNameLock_;
    int commPort_ = 1;
    int commEvent_ = 0;
    bool closing_ = false;
};
