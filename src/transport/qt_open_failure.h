#pragma once

#include "transport/open_failure_cause.h"

#include <QSerialPort>
#include <QString>

// Why Qt's serial port could not open a port, in words an operator can act on: no such
// device, no access (and the group to join), or a lock in the way (in use, and by which lock
// file and process; or a lock that names no running program). It only reads. cause, when
// given, gets the kind of failure found.
QString explainOpenFailure(const QString &path,
                           QSerialPort::SerialPortError error,
                           const QString &errorString,
                           OpenFailureCause *cause = nullptr);

// Why the user may not open the device, and what to do about it: join its group, or, when
// only root may open it, a udev rule or its owner.
QString explainNoAccess(const QString &path, OpenFailureCause *cause = nullptr);
