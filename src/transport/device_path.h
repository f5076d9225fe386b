#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The device that port number n (COM1 = 1) reaches, the one answer every open and every list
// asks: the environment variable PARLINO_COM<n> when it is set; else the device numbered so
// (Linux: USB adapters, which the link numbers before it opens or lists); else COM<n> on
// Windows and /dev/ttyS<n-1> elsewhere. Asking changes nothing; the first form answers with
// the numbers last given to setNumberedPorts.
QString devicePathForPort(int port);
QString devicePathForPort(int port, const QMap<int, QString> &numbered);

// The numbers the link gave the devices present (port number -> device), kept for the rest
// of the run.
void setNumberedPorts(const QMap<int, QString> &numbered);

// The device in PARLINO_COM<n>; empty when the variable is unset or empty.
QString mappedDevice(int port);

// The folder of the serial devices' stable names: /dev/serial/by-id, or the folder
// PARLINO_SERIAL_BY_ID names (tests stand their links in for adapters there).
QString serialByIdFolder();

// The serial devices present now, by stable name: the entries of the by-id folder, or where
// that folder does not exist (no udev), the ttyUSB* and ttyACM* of the device folder. In
// name order, numbers counted as numbers (ttyUSB2 before ttyUSB10).
QStringList serialDeviceNames(const QString &byIdFolder, const QString &deviceFolder);

// The shell command that maps port number n to the device: "export PARLINO_COM<n>=<path>",
// "set PARLINO_COM<n>=<path>" on Windows.
QString mapPortCommand(int port, const QString &path);
