#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringList>

// Why a port could not be opened, in words an operator can act on: no such device, no
// access (and the group to join), or in use (and by which lock file and process).
QString explainOpenFailure(const QString &path,
                           QSerialPort::SerialPortError error,
                           const QString &errorString);

// The folders Qt's serial port makes its lock files in, the first that exists, in its order.
QStringList portLockFolders();

// Writes a line for the operator to standard error.
void reportToConsole(const QString &line);
