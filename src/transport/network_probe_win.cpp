#include "transport/network_probe.h"

QString networkPortState(const QString &)
{
    return QStringLiteral("network ports are not reached from Windows");
}
