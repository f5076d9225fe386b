#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// A serial device the system has.
struct SystemPort
{
    QString path;          // /dev/ttyUSB0
    QString description;   // as the system describes it; may be empty
    QString manufacturer;  // may be empty
    QString vendorProduct; // "0403:6001", empty when unknown
    QString serialNumber;  // may be empty
    QString byIdLink;      // /dev/serial/by-id/... pointing at it, empty when none
};

// Every serial device the system lists (pseudo-terminals and their multiplexer are not among
// them).
QList<SystemPort> systemPorts();

// What a device path names now.
enum class DeviceState {
    Missing,   // nothing
    Serial,    // a terminal device: a serial port, a USB adapter, a pseudo-terminal
    NotSerial, // something else: a plain file, a named pipe, /dev/zero ...
};
DeviceState deviceState(const QString &path);

#ifndef Q_OS_WIN
// The numbers of the character device a path leads to, whatever name reaches it (a link, a
// second node, a bind mount): one device, one pair of numbers.
struct DeviceNumbers
{
    unsigned major = 0;
    unsigned minor = 0;
    quint64 inode = 0;           // of the node itself
    bool pseudoTerminal = false; // a pseudo-terminal's terminal side
    bool terminal = false;       // a terminal device of any kind
};
// Nothing when the path leads to no character device.
std::optional<DeviceNumbers> deviceNumbers(const QString &path);

// The USB identity of the device a path leads to, from sysfs: vendor and product, then its
// serial number or, where it has none, its port on the bus ("0403:6001 serial A1B2",
// "1a86:7523 port 1-1.2"). Empty for a device that is not on USB.
QString usbIdentity(const QString &path);

// Tests stand in for sysfs: the reader gets the device's real path and answers its USB
// identity. Returns the reader installed before; an empty one restores sysfs.
using UsbIdentityReader = std::function<QString(const QString &realPath)>;
UsbIdentityReader installUsbIdentityReader(UsbIdentityReader reader);
#endif
