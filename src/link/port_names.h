#pragma once

#include <QString>
#include <QStringView>

// The number of a port name: "COM1" is 1 ... "COM16" is 16, compared whole, exactly and
// case-sensitively. Any other text has no number: 0.
int portNumberOf(QStringView name);

// What a box's details say about a port: its name and the cause, as "COM3: /dev/ttyUSB0: ...",
// the name once where the cause starts with it ("COM3: no such port").
QString portCause(int port, const QString &cause);
