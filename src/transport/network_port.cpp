#include "transport/network_port.h"

#include <QUrl>

namespace {

const QString rfc2217Scheme = QStringLiteral("rfc2217");
const QString tcpScheme = QStringLiteral("tcp");

// Host names, IPv4 and IPv6 addresses are made of these alone. The check also keeps the
// host from adding options to the gensio stack, whose separators are ',' and '('.
bool isPlainHost(const QString &host)
{
    if (host.isEmpty())
        return false;
    for (const QChar c : host) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')
                        || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'_'
                        || c == u':';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

bool isNetworkPortName(const QString &name)
{
    return name.startsWith(rfc2217Scheme + QStringLiteral("://"), Qt::CaseInsensitive)
           || name.startsWith(tcpScheme + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<NetworkPort> parseNetworkPort(const QString &name)
{
    if (!isNetworkPortName(name))
        return std::nullopt;
    const QUrl url(name, QUrl::StrictMode);
    if (!url.isValid() || !url.userInfo().isEmpty() || !url.path().isEmpty() || url.hasQuery()
        || url.hasFragment() || url.port() < 1)
        return std::nullopt;
    const QString host = url.host();
    // A bare IPv6 address cannot be told from its port; QUrl refuses it, and so do we.
    if (!isPlainHost(host))
        return std::nullopt;
    NetworkPort port;
    port.protocol = url.scheme() == rfc2217Scheme ? NetworkPort::Protocol::Rfc2217
                                                  : NetworkPort::Protocol::Tcp;
    port.host = host;
    port.port = url.port();
    return port;
}

QString gensioStackOf(const NetworkPort &port)
{
    const QString tcp = QStringLiteral("tcp,%1,%2").arg(port.host).arg(port.port);
    return port.protocol == NetworkPort::Protocol::Rfc2217
               ? QStringLiteral("telnet(rfc2217),") + tcp
               : tcp;
}
