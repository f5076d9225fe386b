#pragma once

#include <QSerialPort>
#include <QString>

// Why Qt's serial port could not open a port, in words an operator can act on: no such
// device, no access (and the group to join), or in use (and by which lock file and process).
QString explainOpenFailure(const QString &path,
                           QSerialPort::SerialPortError error,
                           const QString &errorString);
