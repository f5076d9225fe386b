#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringList>

// Why a port could not be opened, in words an operator can act on: no such device, no
// access (and the group to join), or in use (and by which lock file and process).
QString explainOpenFailure(const QString &path,
                           QSerialPort::SerialPortError error,
                           const QString &errorString);

// Why the user may not open the device, and what to do about it: join its group, or, when
// only root may open it, a udev rule or its owner.
QString explainNoAccess(const QString &path);

// What became of a device that failed while open, in words an operator can act on.
QString explainDeviceLoss(const QString &path);

// The folders Qt's serial port makes its lock files in, the first that exists, in its order.
QStringList portLockFolders();

// Writes a line for the operator to standard error.
void reportToConsole(const QString &line);
