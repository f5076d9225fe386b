#include "transport/device_serial_control.h"

#include "transport/device_path.h"
#include "transport/network_port.h"
#include "transport/network_serial_control.h"
#include "transport/qt_serial_control.h"

std::unique_ptr<SerialControl> makeSerialControl()
{
    return std::make_unique<DeviceSerialControl>();
}

DeviceSerialControl::DeviceSerialControl(QObject *parent)
    : SerialControl(parent)
    , serial_(*new QtSerialControl(this))
    , network_(*new NetworkSerialControl(this))
    , active_(&serial_)
{
    relay(serial_);
    relay(network_);
}

void DeviceSerialControl::relay(SerialControl &control)
{
    connect(&control, &SerialControl::OnComm, this, &SerialControl::OnComm);
    connect(&control, &SerialControl::deviceLost, this, &SerialControl::deviceLost);
    connect(&control, &SerialControl::traffic, this, &SerialControl::traffic);
    connect(&control, &SerialControl::portEvent, this, &SerialControl::portEvent);
}

bool DeviceSerialControl::setPortOpen(bool open)
{
    if (!open || active_->PortOpen())
        return active_->setPortOpen(open);
    active_ = isNetworkPortName(devicePathForPort(commPort_)) ? &network_ : &serial_;
    active_->setCommPort(commPort_);
    return active_->setPortOpen(true);
}
