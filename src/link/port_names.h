#pragma once

#include <QStringView>

// The number of a port name: "COM1" is 1 ... "COM16" is 16, compared whole, exactly and
// case-sensitively. Any other text has no number: 0.
int portNumberOf(QStringView name);
