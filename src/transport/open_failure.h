#pragma once

#include <QString>

// What became of a device that failed while open, in words an operator can act on (not
// the system's "Inappropriate ioctl for device").
QString explainDeviceLoss(const QString &path);

#ifndef Q_OS_WIN
// Where the console runs on Qt's serial port, its open failures are explained beside it.
#include "transport/qt_open_failure.h"
#endif
