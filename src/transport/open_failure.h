#pragma once

#include <QString>
#include <QStringList>

// What became of a device that failed while open, in words an operator can act on (not
// the system's "Inappropriate ioctl for device").
QString explainDeviceLoss(const QString &path);

// The folders Qt's serial port makes its lock files in, the first that exists, in its order.
// None on Windows, where a port is locked by opening it.
QStringList portLockFolders();

#ifndef Q_OS_WIN
// Where the console runs on Qt's serial port, its open failures are explained beside it.
#include "transport/qt_open_failure.h"
#endif
