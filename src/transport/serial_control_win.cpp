#include "transport/serial_control_win.h"

#include "transport/device_namespace_win.h"
#include "transport/device_path.h"
#include "transport/open_failure.h"
#include "transport/open_failure_win.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QWinEventNotifier>

#include <utility>

namespace {

// No time limits: a read ends when it has every byte it asked for, a write when every byte is
// taken, there being no flow control to hold it back. Arrivals are awaited with a read of one
// byte, which ends as soon as a byte comes (WaitCommEvent would do too on Windows, but Wine
// ends it at once, aborted, on a pseudo-terminal); what came with it is then read at once.
constexpr COMMTIMEOUTS noTimeLimits = {0, 0, 0, 0, 0};

// How long a close waits for a cancelled operation to end.
constexpr DWORD cancelWait = 1000;
// How long the read of the bytes that came with the first one may take: they are in the
// driver's queue already, unless another program took them.
constexpr DWORD restWait = 50;
// How often a drain looks at the driver's queue of bytes to send.
constexpr int drainStepMs = 2;

HANDLE newManualResetEvent()
{
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

} // namespace

WinSerialControl::WinSerialControl(QObject *parent)
    : StreamSerialControl(parent)
{
    arrival_.hEvent = newManualResetEvent();
    rest_.hEvent = newManualResetEvent();
    write_.hEvent = newManualResetEvent();
    arrivalNotifier_ = new QWinEventNotifier(arrival_.hEvent, this);
    writeNotifier_ = new QWinEventNotifier(write_.hEvent, this);
    arrivalNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    connect(arrivalNotifier_, &QWinEventNotifier::activated, this, &WinSerialControl::onArrival);
    connect(writeNotifier_, &QWinEventNotifier::activated, this, [this] { finishWrite(0); });
}

WinSerialControl::~WinSerialControl()
{
    if (PortOpen())
        closeDevice();
    // The notifiers watch the events; they go first.
    delete arrivalNotifier_;
    delete writeNotifier_;
    CloseHandle(arrival_.hEvent);
    CloseHandle(rest_.hEvent);
    CloseHandle(write_.hEvent);
}

bool WinSerialControl::setPortOpen(bool open)
{
    if (!open) {
        if (PortOpen()) {
            closeDevice();
            reportClosed();
        }
        return true;
    }
    if (PortOpen())
        return true;
    beginOpen();
    if (!openDevice())
        return false;
    reportOpened();
    waitForArrival();
    return true;
}

bool WinSerialControl::openDevice()
{
    const QString nativePath = nativePathOf(path());
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(nativePath.utf16()),
                                      GENERIC_READ | GENERIC_WRITE,
                                      0, // no sharing: another open of the port fails
                                      nullptr,
                                      OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        OpenFailureCause cause;
        const QString text = explainOpenFailure(path(), GetLastError(), &cause);
        return refuseOpen(text, cause);
    }

    DCB line = {};
    line.DCBlength = sizeof line;
    bool ready = GetCommState(handle, &line);
    if (ready) {
        line.BaudRate = CBR_38400;
        line.ByteSize = 8;
        line.Parity = NOPARITY;
        line.StopBits = ONESTOPBIT;
        line.fBinary = TRUE;
        line.fParity = FALSE;
        line.fOutxCtsFlow = FALSE;
        line.fOutxDsrFlow = FALSE;
        line.fDsrSensitivity = FALSE;
        line.fOutX = FALSE;
        line.fInX = FALSE;
        line.fErrorChar = FALSE;
        line.fNull = FALSE;
        // Errors on the line must not stop reads until they are cleared.
        line.fAbortOnError = FALSE;
        // DTR and RTS on while open, as Linux raises them when a port opens.
        line.fDtrControl = DTR_CONTROL_ENABLE;
        line.fRtsControl = RTS_CONTROL_ENABLE;
        COMMTIMEOUTS timeouts = noTimeLimits;
        ready = SetCommState(handle, &line) && SetCommTimeouts(handle, &timeouts);
    }
    if (!ready) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        // The system's words are in the system's language: a line of their own.
        return refuseOpen(
            QStringLiteral("%1: not a serial port\n%2").arg(path(), systemErrorText(error)));
    }
    handle_ = handle;
    pending_.clear();
    inFlight_.clear();
    arrivalNotifier_->setEnabled(true);
    writeNotifier_->setEnabled(true);
    return true;
}

void WinSerialControl::closeDevice()
{
    arrivalNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    // The buffers and OVERLAPPED blocks of a cancelled operation stay in use until it ends;
    // the wait is bounded, as a driver of a device gone away may never end it.
    CancelIoEx(handle_, nullptr);
    if (waitingForArrival_)
        WaitForSingleObject(arrival_.hEvent, cancelWait);
    if (writing_)
        WaitForSingleObject(write_.hEvent, cancelWait);
    waitingForArrival_ = false;
    writing_ = false;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    ResetEvent(arrival_.hEvent);
    ResetEvent(write_.hEvent);
    pending_.clear();
    inFlight_.clear();
}

void WinSerialControl::lose(DWORD error)
{
    if (!PortOpen())
        return;
    const QString reason = explainDeviceLoss(path()) + u'\n' + systemErrorText(error);
    closeDevice();
    emit deviceLost(reason);
}

void WinSerialControl::waitForArrival()
{
    // A handler that closed and opened the port again has a read waiting already.
    if (!PortOpen() || waitingForArrival_)
        return;
    if (ReadFile(handle_, &firstByte_, 1, nullptr, &arrival_)) {
        // Done at once: the event loop takes it as any other arrival.
        SetEvent(arrival_.hEvent);
    } else if (GetLastError() != ERROR_IO_PENDING) {
        lose(GetLastError());
        return;
    }
    waitingForArrival_ = true;
}

void WinSerialControl::onArrival()
{
    if (!PortOpen() || !waitingForArrival_)
        return;
    DWORD count = 0;
    DWORD error = ERROR_SUCCESS;
    if (!overlappedEnded(arrival_, &count, &error))
        return;
    waitingForArrival_ = false;
    if (error != ERROR_SUCCESS) {
        lose(error);
        return;
    }
    // A read without time limit ends empty only when the device has gone.
    QByteArray bytes(1, firstByte_);
    if (count == 0 || !readTheRest(bytes)) {
        lose(count == 0 ? ERROR_DEVICE_NOT_CONNECTED : GetLastError());
        return;
    }
    receive(bytes);
    // The handler may have closed the port (no read waits any more) or opened it again.
    waitForArrival();
}

bool WinSerialControl::overlappedEnded(OVERLAPPED &operation, DWORD *count, DWORD *error)
{
    *error = ERROR_SUCCESS;
    if (GetOverlappedResult(handle_, &operation, count, FALSE))
        return true;
    *error = GetLastError();
    return *error != ERROR_IO_INCOMPLETE;
}

bool WinSerialControl::queues(COMSTAT &status)
{
    DWORD errors = 0;
    status = {};
    return ClearCommError(handle_, &errors, &status) != 0;
}

bool WinSerialControl::readTheRest(QByteArray &bytes)
{
    COMSTAT status;
    if (!queues(status))
        return false;
    if (status.cbInQue == 0)
        return true;
    restBuffer_.resize(qsizetype(status.cbInQue));
    DWORD count = 0;
    if (!ReadFile(handle_, restBuffer_.data(), status.cbInQue, &count, &rest_)) {
        if (GetLastError() != ERROR_IO_PENDING)
            return false;
        // Not all there: what came within the wait is taken, the rest of the read given up.
        if (WaitForSingleObject(rest_.hEvent, restWait) != WAIT_OBJECT_0)
            CancelIoEx(handle_, &rest_);
        if (WaitForSingleObject(rest_.hEvent, cancelWait) != WAIT_OBJECT_0)
            return false;
        if (!GetOverlappedResult(handle_, &rest_, &count, FALSE)
            && GetLastError() != ERROR_OPERATION_ABORTED)
            return false;
    }
    bytes += restBuffer_.first(qsizetype(count));
    return true;
}

void WinSerialControl::Output(const QString &text)
{
    if (!PortOpen())
        return;
    pending_ += outgoing(text);
    startWrite();
}

void WinSerialControl::startWrite()
{
    if (!PortOpen() || writing_ || pending_.isEmpty())
        return;
    inFlight_ = std::exchange(pending_, QByteArray());
    writing_ = true;
    if (WriteFile(handle_, inFlight_.constData(), DWORD(inFlight_.size()), nullptr, &write_)) {
        SetEvent(write_.hEvent); // done at once; finished from the event loop as any other
    } else if (GetLastError() != ERROR_IO_PENDING) {
        const DWORD error = GetLastError();
        writing_ = false;
        lose(error);
    }
}

void WinSerialControl::finishWrite(DWORD waitMilliseconds)
{
    if (!PortOpen() || !writing_)
        return;
    if (WaitForSingleObject(write_.hEvent, waitMilliseconds) != WAIT_OBJECT_0)
        return;
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!overlappedEnded(write_, &written, &error))
        return;
    writing_ = false;
    if (error != ERROR_SUCCESS) {
        lose(error);
        return;
    }
    ResetEvent(write_.hEvent);
    // A write cut short leaves the rest first in line.
    if (written < DWORD(inFlight_.size()))
        pending_.prepend(inFlight_.sliced(qsizetype(written)));
    inFlight_.clear();
    startWrite();
}

qint64 WinSerialControl::bytesToWrite() const
{
    return PortOpen() ? pending_.size() + inFlight_.size() : 0;
}

bool WinSerialControl::drainOutput(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (PortOpen() && writing_) {
        if (deadline.hasExpired())
            return false;
        finishWrite(DWORD(deadline.remainingTime()));
    }
    // The driver's own queue, watched rather than flushed: a flush waits for as long as the
    // device holds the bytes back.
    while (PortOpen()) {
        COMSTAT status;
        if (!queues(status))
            return false;
        if (status.cbOutQue == 0)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(drainStepMs);
    }
    return false;
}
