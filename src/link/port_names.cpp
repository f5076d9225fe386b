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
    const QString name = QStringLiteral("COM%1").arg(port);
    // A cause that starts with the port's own name (its device is COM3 itself) names it once.
    if (cause.startsWith(name + u':', Qt::CaseInsensitive))
        return cause;
    return name + QStringLiteral(": ") + cause;
}
