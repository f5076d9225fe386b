#include "platform/device_path.h"

#include <QtGlobal>

QString devicePathForPort(int port)
{
    const QString variable = QStringLiteral("PARLINO_COM%1").arg(port);
    const QString mapped = qEnvironmentVariable(variable.toLatin1().constData());
    if (!mapped.isEmpty())
        return mapped;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QString mapPortCommand(int port, const QString &path)
{
#ifdef Q_OS_WIN
    return QStringLiteral("set PARLINO_COM%1=%2").arg(port).arg(path);
#else
    return QStringLiteral("export PARLINO_COM%1=%2").arg(port).arg(path);
#endif
}
