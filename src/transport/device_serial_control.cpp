#include "transport/device_serial_control.h"

#include "transport/device_path.h"
#include "transport/network_port.h"
#include "transport/network_serial_control.h"
#ifdef Q_OS_WIN
#include "transport/serial_control_win.h"
using SystemSerialControl = WinSerialControl;
#else
#include "transport/qt_serial_control.h"
using SystemSerialControl = QtSerialControl;
#endif

std::unique_ptr<SerialControl> makeSerialControl()
{
    return std::make_unique<DeviceSerialControl>();
}

DeviceSerialControl::DeviceSerialControl(QObject *parent)
    : SerialControl(parent)
    , serial_(*new SystemSerialControl(this))
    , network_(*new NetworkSerialControl(this))
    , active_(&serial_)
{
    relay(serial_);
    relay(network_);
}

void DeviceSerialControl::relay(SerialControl &control)
{
    connect(&control, &SerialControl::OnComm, this, &SerialControl::OnComm);
    connect(&control, &SerialControl::openFinished, this, &SerialControl::openFinished);
    connect(&control, &SerialControl::deviceLost, this, &SerialControl::deviceLost);
    connect(&control, &SerialControl::traffic, this, &SerialControl::traffic);
    connect(&control, &SerialControl::portEvent, this, &SerialControl::portEvent);
}

SerialControl &DeviceSerialControl::choose()
{
    if (!active_->PortOpen() && !active_->isOpening()) {
        active_ = isNetworkPortName(devicePathForPort(commPort_)) ? &network_ : &serial_;
        active_->setCommPort(commPort_);
    }
    return *active_;
}

bool DeviceSerialControl::setPortOpen(bool open)
{
    return open ? choose().setPortOpen(true) : active_->setPortOpen(false);
}

SerialControl::OpenStart DeviceSerialControl::startOpen()
{
    return choose().startOpen();
}
