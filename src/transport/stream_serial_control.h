#pragma once

#include "text/cp932.h"
#include "transport/serial_control.h"

// What the serial controls over a stream of bytes (Qt's serial port, a network connection)
// do alike: the port number and its device, the text received in code page 932 and its
// events, and the reports of each open, failure and close.
class StreamSerialControl : public SerialControl
{
    Q_OBJECT

public:
    using SerialControl::SerialControl;

    int CommPort() const override { return commPort_; }
    void setCommPort(int port) override { commPort_ = port; }
    QString errorText() const override { return errorText_; }
    OpenFailureCause errorCause() const override { return errorCause_; }
    QString Input() override;
    int CommEvent() const override { return commEvent_; }

protected:
    // The start of every open: the device the port number reaches now, a fresh decoder (a
    // half character left from before must not join new text) and nothing held.
    const QString &beginOpen();
    // The device of the last open.
    const QString &path() const { return path_; }
    // Reports the open failed with this cause, of this kind; returns false, for the caller's
    // result.
    bool refuseOpen(const QString &cause, const OpenFailureCause &kind = {});
    void reportOpened();
    void reportClosed();
    // The text as it goes out in code page 932, reported as traffic.
    QByteArray outgoing(const QString &text);
    // Bytes from the device: reported as traffic, decoded, and announced by OnComm once they
    // make text (a lone lead byte waits for the next arrival).
    void receive(const QByteArray &bytes);

private:
    cp932::Decoder decoder_;
    QString received_;
    QString errorText_;
    OpenFailureCause errorCause_;
    QString path_;
    int commPort_ = 1;
    int commEvent_ = 0;
};
