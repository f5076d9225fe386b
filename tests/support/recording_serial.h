#pragma once

#include "transport/serial_control.h"

#include <QStringList>

#include <functional>

// A serial control for tests: records every write, opens or refuses as told, and delivers
// received text as receive events on demand.
class RecordingSerial final : public SerialControl
{
    Q_OBJECT

public:
    QStringList written;        // every Output, in order
    QList<int> opened;          // the port number of every successful open
    bool failOpen = false;      // the next opens fail
    OpenFailureCause failCause; // what a failed open reports as its kind
    // Called after each write while the port is open; tests answer from here.
    std::function<void(const QString &)> onWrite;

    int CommPort() const override { return commPort_; }
    void setCommPort(int port) override { commPort_ = port; }
    bool PortOpen() const override { return open_; }
    bool setPortOpen(bool open) override;
    QString errorText() const override { return failOpen ? QStringLiteral("refused") : QString(); }
    OpenFailureCause errorCause() const override
    {
        return failOpen ? failCause : OpenFailureCause{};
    }
    void Output(const QString &text) override;
    QString Input() override;
    int CommEvent() const override { return commEvent_; }
    qint64 bytesToWrite() const override { return open_ ? pendingBytes : 0; }
    bool drainOutput(int) override { return open_ && pendingBytes == 0; }

    qint64 pendingBytes = 0; // what bytesToWrite reports while open

    // Raises a receive event with this text waiting.
    void deliver(const QString &text);
    // Raises an event of another kind (a modem line change, an error).
    void raiseEvent(int commEvent);
    // Delivers the text from the event loop after the given delay, as a module would.
    void deliverLater(const QString &text, int milliseconds = 5);

private:
    QString waiting_;
    int commPort_ = 1;
    int commEvent_ = 0;
    bool open_ = false;
};
