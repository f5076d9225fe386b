#include "transport/network_probe.h"

#include "transport/network_link.h"
#include "transport/network_port.h"

QString networkPortState(const QString &name)
{
    const std::optional<NetworkPort> port = parseNetworkPort(name);
    if (!port)
        return QStringLiteral("not a network port (rfc2217://HOST:PORT or tcp://HOST:PORT)");
    const QString cause = probeNetworkPort(*port, 2000);
    return cause.isEmpty() ? QStringLiteral("answers")
                           : QStringLiteral("does not answer: ") + cause;
}
