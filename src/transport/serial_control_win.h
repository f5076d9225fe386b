#pragma once

#include "text/cp932.h"
#include "transport/serial_control.h"

#include <QByteArray>
#include <qt_windows.h>

class QWinEventNotifier;

// The serial control over the Win32 communications API: 38400 bit/s, 8 data bits, no parity,
// one stop bit, no flow control, set on every open; overlapped reads and writes whose
// completions reach the window's thread through its event loop; text in code page 932.
class WinSerialControl final : public SerialControl
{
    Q_OBJECT

public:
    explicit WinSerialControl(QObject *parent = nullptr);
    ~WinSerialControl() override;

    int CommPort() const override { return commPort_; }
    void setCommPort(int port) override { commPort_ = port; }
    bool PortOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
    bool setPortOpen(bool open) override;
    QString errorText() const override { return errorText_; }
    OpenFailureCause errorCause() const override { return errorCause_; }
    void Output(const QString &text) override;
    QString Input() override;
    int CommEvent() const override { return commEvent_; }
    qint64 bytesToWrite() const override;
    bool drainOutput(int milliseconds) override;

private:
    // Opens and sets up the device of path_; the cause when it cannot, else an empty text.
    QString openDevice();
    void closeDevice();
    // The device failed: the port closes and deviceLost is emitted, once.
    void lose(DWORD error);

    void waitForArrival();
    void onArrival();
    // The bytes that came with the first one, taken without waiting.
    bool readTheRest(QByteArray &bytes);
    // Whether the overlapped operation has ended, without waiting: with its byte count, or
    // with the error it failed with (ERROR_SUCCESS when it did not fail).
    bool overlappedEnded(OVERLAPPED &operation, DWORD *count, DWORD *error);
    void startWrite();
    void finishWrite(DWORD waitMilliseconds);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    OVERLAPPED arrival_ = {}; // the read that waits for the first byte
    OVERLAPPED rest_ = {};    // the read of what came with it
    OVERLAPPED write_ = {};
    char firstByte_ = 0;
    bool waitingForArrival_ = false;
    bool writing_ = false;
    QWinEventNotifier *arrivalNotifier_ = nullptr;
    QWinEventNotifier *writeNotifier_ = nullptr;

    QByteArray pending_;  // written by Output, not yet handed to the device
    QByteArray inFlight_; // the bytes of the write in progress
    cp932::Decoder decoder_;
    QString received_;
    QString errorText_;
    OpenFailureCause errorCause_;
    QString path_; // the device of the last open, as the operator names it
    int commPort_ = 1;
    int commEvent_ = 0;
};
