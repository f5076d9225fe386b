#include "link/port_names.h"

#include <QString>

int portNumberOf(QStringView name)
{
    for (int port = 1; port <= 16; ++port) {
        if (name == QStringLiteral("COM%1").arg(port))
            return port;
    }
    return 0;
}

QString portCause(int port, const QString &cause)
{
    return QStringLiteral("COM%1: %2").arg(port).arg(cause);
}
