#pragma once

#include "transport/stream_serial_control.h"

#include <QByteArray>
#include <qt_windows.h>

class QWinEventNotifier;

// The serial control over the Win32 communications API: 38400 bit/s, 8 data bits, no parity,
// one stop bit, no flow control, set on every open; overlapped reads and writes whose
// completions reach the window's thread through its event loop; text in code page 932. No
// call waits without a bound: a read, a write or a drain that the device does not end is
// given up when its time is out, so the event loop, --timeout and CLOSE act whatever the port
// does.
class WinSerialControl final : public StreamSerialControl
{
    Q_OBJECT

public:
    explicit WinSerialControl(QObject *parent = nullptr);
    ~WinSerialControl() override;

    bool PortOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
    bool setPortOpen(bool open) override;
    void Output(const QString &text) override;
    qint64 bytesToWrite() const override;
    bool drainOutput(int milliseconds) override;

private:
    // Opens and sets up the device of path(); false (the open refused) when it cannot.
    bool openDevice();
    void closeDevice();
    // The device failed: the port closes and deviceLost is emitted, once.
    void lose(DWORD error);

    void waitForArrival();
    void onArrival();
    // The driver's queues (bytes received, bytes still to send); clears a line error. False
    // when the device failed.
    bool queues(COMSTAT &status);
    // The bytes that came with the first one, taken with a bounded wait: another program
    // reading the same device may have taken some of those the driver counted.
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
    // The buffer of the read of the rest: a read given up may still write into it until it
    // ends, so it lives as long as the control.
    QByteArray restBuffer_;
    bool waitingForArrival_ = false;
    bool writing_ = false;
    QWinEventNotifier *arrivalNotifier_ = nullptr;
    QWinEventNotifier *writeNotifier_ = nullptr;

    QByteArray pending_;  // written by Output, not yet handed to the device
    QByteArray inFlight_; // the bytes of the write in progress
};
