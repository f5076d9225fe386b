#pragma once

#include <QList>
#include <QString>

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
