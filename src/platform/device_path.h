#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The device that port number n (COM1 = 1) reaches, the one answer every open and every list
// asks: the environment variable PARLINO_COM<n> when it is set; else the device the ports
// file numbers so (Linux: USB adapters, see link/port_numbers.h); else COM<n> on Windows and
// /dev/ttyS<n-1> elsewhere. The first form refreshes the numbers.
QString devicePathForPort(int port);
QString devicePathForPort(int port, const QMap<int, QString> &numbered);

// The device in PARLINO_COM<n>; empty when the variable is unset or empty.
QString mappedDevice(int port);

// The serial devices present now, by stable name: the entries of the by-id folder, or where
// that folder does not exist (no udev), the ttyUSB* and ttyACM* of the device folder. In
// name order, numbers counted as numbers (ttyUSB2 before ttyUSB10).
QStringList serialDeviceNames(const QString &byIdFolder, const QString &deviceFolder);

// The shell command that maps port number n to the device: "export PARLINO_COM<n>=<path>",
// "set PARLINO_COM<n>=<path>" on Windows.
QString mapPortCommand(int port, const QString &path);
