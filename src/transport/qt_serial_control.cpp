#include "transport/qt_serial_control.h"

#include "transport/device_locks.h"
#include "transport/open_failure.h"
#include "transport/qt_open_failure.h"

#include <QDeadlineTimer>

#include <sys/ioctl.h>
#include <termios.h>

QtSerialControl::QtSerialControl(QObject *parent)
    : StreamSerialControl(parent)
    , port_(*new QSerialPort(this))
{
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialControl::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialControl::onError);
}

bool QtSerialControl::setPortOpen(bool open)
{
    if (!open) {
        if (port_.isOpen()) {
            closePort();
            reportClosed();
        }
        return true;
    }
    if (port_.isOpen())
        return true;
    const QString &path = beginOpen();
    port_.setPortName(path);
    port_.setBaudRate(QSerialPort::Baud38400);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    // One owner per device, whatever name it is opened by: its locks under the name given and
    // under its real name are read first. Qt would take a lock it cannot read for a stale one
    // and remove it; another program's lock in any form keeps the port theirs, and a lock that
    // names no running program is the operator's to remove. Locks of ended processes are
    // taken over here, once.
    const QList<PortLock> locks = readDeviceLocks(path);
    if (const PortLock *lock = lockInTheWay(locks))
        return refuseOpen(lock->cause, lock->failure);
    removeStaleLocks(locks);
    if (!port_.open(QIODevice::ReadWrite)) {
        OpenFailureCause cause;
        const QString text = explainOpenFailure(path, port_.error(), port_.errorString(), &cause);
        return refuseOpen(text, cause);
    }
    // Qt locks the name given; programs that open the device by its own name look there,
    // and consoles that reach it by any other name look at its numbers.
    PortLock refusal;
    realNameLock_ = lockRealName(path, &refusal);
    if (refusal.cause.isEmpty())
        numberLock_ = lockDeviceNumbers(path, &refusal);
    if (!refusal.cause.isEmpty()) {
        closePort();
        return refuseOpen(refusal.cause, refusal.failure);
    }
    // What was opened, for the window that may open it again after a loss: only the same
    // device, whatever comes to have its name meanwhile.
    identity_ = deviceIdentity(path);
    // Pseudo-terminals refuse the modem-line calls; that is no reason to fail the open.
    if (port_.error() == QSerialPort::UnsupportedOperationError)
        port_.clearError();
    reportOpened();
    return true;
}

void QtSerialControl::Output(const QString &text)
{
    if (!port_.isOpen())
        return;
    port_.write(outgoing(text));
    // Hand the bytes to the device now rather than on the next event-loop pass.
    port_.flush();
}

bool QtSerialControl::drainOutput(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (port_.isOpen() && port_.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !port_.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    if (!port_.isOpen())
        return false;
    // The driver's own queue: at 38400 bit/s it empties in a bounded time, there being no
    // flow control to hold it.
    return ::tcdrain(int(port_.handle())) == 0;
}

qint64 QtSerialControl::bytesToWrite() const
{
    if (!port_.isOpen())
        return 0;
    // Qt's own buffer, and what the driver still holds of what it took (a UART's queue; a
    // pseudo-terminal reports none).
    int queued = 0;
    if (::ioctl(int(port_.handle()), TIOCOUTQ, &queued) != 0 || queued < 0)
        queued = 0;
    return port_.bytesToWrite() + queued;
}

void QtSerialControl::onReadyRead()
{
    receive(port_.readAll());
}

void QtSerialControl::onError(QSerialPort::SerialPortError error)
{
    if (closing_ || !port_.isOpen())
        return;
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError: {
        // The device is gone. Qt keeps reporting it as long as the port stays open, up to
        // a storm of signals, so close it here, once; CLOSE then OPEN reconnects.
        const QString reason = explainDeviceLoss(path());
        closePort();
        port_.clearError();
        emit deviceLost(reason);
        break;
    }
    default:
        break;
    }
}

void QtSerialControl::closePort()
{
    closing_ = true;
    port_.close();
    closing_ = false;
    realNameLock_.reset();
    numberLock_.reset();
}
