#pragma once

#include <QString>

// What a device is, as opposed to the name it is reached by. It is kept when the device opens
// and asked again of whatever appears under the same name after the device went away: only
// the same device is opened again by itself. What identifies it depends on how it is named
// and what it is.
struct DeviceIdentity
{
    enum class Kind {
        None,     // nothing is there, or nothing was opened
        ByIdName, // a name in the by-id folder: udev builds it from the adapter's vendor, model
                  // and serial number, so the name coming back is the same adapter
        Usb,      // a USB adapter named otherwise: vendor, product and serial number, or its
                  // port on the bus when it has no serial number
        BuiltIn,  // a serial port of the machine itself: its name
        OneTime,  // anything else, a pseudo-terminal above all: its number is given to others
                  // once it has gone, so it never comes back
        Network,  // a port on the network: its URL
    };
    Kind kind = Kind::None;
    QString key;  // what must be equal for two looks to be at the same device
    QString what; // what the device is, as the operator reads it ("USB 0403:6001 serial A1")
};

// The identity of what the name reaches now; kind None when nothing is there.
DeviceIdentity deviceIdentity(const QString &path);

// True when now is the device kept: the same kind and key, and a kind that can come back.
bool sameDevice(const DeviceIdentity &kept, const DeviceIdentity &now);
