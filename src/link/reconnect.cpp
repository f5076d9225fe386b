// A device that went away while open (a USB adapter pulled out) is opened again when it comes
// back. The watch runs only while a device is lost: the idle console does not wake up.
#include "link/reconnect.h"

#include "link/port_names.h"
#include "link/visible_causes.h"
#include "platform/console_output.h"
#include "platform/message_box.h"
#include "transport/device_path.h"
#include "transport/network_port.h"
#include "transport/port_inventory.h"
#include "transport/serial_control.h"
#include "ui/form1.h"

#include <utility>

void Form1::watchForReturn()
{
    if (openPort_ == 0)
        return;
    lostDevice_ = devicePathForPort(openPort_);
    // Windows ties a COM name to its adapter and keeps its own behaviour for serial ports:
    // one OPEN reconnects. A server on the network is asked again there as here.
#ifdef Q_OS_WIN
    if (!isNetworkPortName(lostDevice_))
        return;
#endif
    lostIdentity_ = MSComm1->openedIdentity();
    otherDeviceTold_.clear();
    reopenTries_ = 0;
    reconnectWatch_->start();
}

void Form1::stopWatchingForReturn()
{
    reconnectWatch_->stop();
    // A retry under way belongs to the watch: it goes with it.
    if (openWaiter_ == OpenWaiter::Reconnect) {
        openWaiter_ = OpenWaiter::None;
        MSComm1->setPortOpen(false);
    }
}

void Form1::reconnectTick()
{
    // The operator has chosen another port, or opened one: the lost device is theirs no more.
    if (ending_ || MSComm1->PortOpen() || MSComm1->CommPort() != openPort_) {
        stopWatchingForReturn();
        return;
    }
    // A port on the network cannot be seen coming back: its server is asked again every few
    // seconds, for as long as the watch runs, each time without waiting for the answer.
    if (isNetworkPortName(lostDevice_)) {
        if (MSComm1->isOpening() || ++reopenTries_ % networkRetryTicks != 0)
            return;
        const SerialControl::OpenStart start = MSComm1->startOpen();
        if (start == SerialControl::OpenStart::Pending)
            openWaiter_ = OpenWaiter::Reconnect;
        else if (start == SerialControl::OpenStart::Opened)
            reconnected();
        return;
    }
    if (deviceState(lostDevice_) == DeviceState::Missing) {
        reopenTries_ = 0;
        // Another device that had the name has gone again: the box says the loss once more.
        if (!std::exchange(otherDeviceTold_, QString()).isEmpty())
            setMessageBoxCause(deviceLostPrompt, lossCause(openPort_));
        return;
    }
    // Only the device that was lost is opened by itself: another that has come to have its
    // name (a pseudo-terminal's number given to another program, the other adapter of two
    // plugged in again the other way round) is the operator's to open.
    const DeviceIdentity now = deviceIdentity(lostDevice_);
    if (!sameDevice(lostIdentity_, now)) {
        tellOtherDevice(now);
        return;
    }
    // A device node can appear before udev has given it its group; a few tries cover that,
    // then a device that is there but will not open waits until it goes and comes again.
    if (reopenTries_ >= reopenTriesPerReturn)
        return;
    ++reopenTries_;
    if (!MSComm1->setPortOpen(true))
        return;
    // It opened as what it is now: a device that took the name between the look and the
    // open is closed again before anything is written to it.
    if (!sameDevice(lostIdentity_, MSComm1->openedIdentity())) {
        MSComm1->setPortOpen(false);
        tellOtherDevice(MSComm1->openedIdentity());
        return;
    }
    reconnected();
}

QString Form1::lossCause(int port) const
{
    // A device that never comes back is not promised to be opened again by itself.
    const QString device = devicePathForPort(port);
    return lostIdentity_.kind == DeviceIdentity::Kind::OneTime
               ? visibleOneTimeDeviceLoss(port, device)
               : visibleDeviceLoss(port, device);
}

void Form1::tellOtherDevice(const DeviceIdentity &other)
{
    if (other.kind == DeviceIdentity::Kind::None || other.key == otherDeviceTold_)
        return;
    otherDeviceTold_ = other.key;
    reportToConsole(portCause(openPort_,
                              QStringLiteral("%1 now leads to another device (%2), which is not "
                                             "opened by itself; OPEN opens it")
                                  .arg(lostDevice_, other.what)));
    setMessageBoxCause(deviceLostPrompt, visibleOtherDevice(openPort_, lostDevice_, other.what));
}

void Form1::portBoxChanged()
{
    if (portNumberOf(ui.Combo1->currentText()) != openPort_)
        stopAwaitingLostDevice();
}

void Form1::stopAwaitingLostDevice()
{
    if (!reconnectWatch_->isActive())
        return;
    stopWatchingForReturn();
    // The box that says the device went away stays; it promises no reopen any more.
    setMessageBoxCause(deviceLostPrompt, visibleLossNotAwaited());
}

void Form1::reconnected()
{
    // As after OPEN, without writing anything: nothing goes to the module until asked.
    showPortOpened();
    // The box that said the device was lost no longer holds.
    closeMessageBoxes(deviceLostPrompt);
}
