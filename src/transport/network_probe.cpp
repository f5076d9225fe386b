#include "transport/network_probe.h"

#include "transport/network_link.h"
#include "transport/network_port.h"

#include <QEventLoop>

namespace {

// How long the listing waits for one server.
constexpr int probeTimeoutMs = 2000;

} // namespace

QString networkPortState(const QString &name)
{
    const std::optional<NetworkPort> port = parseNetworkPort(name);
    if (!port)
        return networkPortProblem(name);
    // The listing has no window: it waits on an event loop of its own for the outcome.
    NetworkLink link;
    QEventLoop wait;
    QString cause;
    QObject::connect(&link, &NetworkLink::opened, &wait, &QEventLoop::quit);
    QObject::connect(&link, &NetworkLink::openFailed, &wait, [&](const QString &why) {
        cause = why;
        wait.quit();
    });
    link.open(*port, probeTimeoutMs, false);
    if (link.isOpening())
        wait.exec();
    link.close();
    return cause.isEmpty() ? QStringLiteral("answers")
                           : QStringLiteral("does not answer: ") + cause;
}
