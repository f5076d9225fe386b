#include "transport/network_port.h"

#include <QUrl>

#include <algorithm>

namespace {

const QString rfc2217Scheme = QStringLiteral("rfc2217");
const QString tcpScheme = QStringLiteral("tcp");
const QString telnetScheme = QStringLiteral("telnet");

bool hasKnownScheme(const QString &name)
{
    for (const QString &scheme : {rfc2217Scheme, tcpScheme, telnetScheme}) {
        if (name.startsWith(scheme + QStringLiteral("://"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Host names, IPv4 and IPv6 addresses are made of these alone.
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
    // No device path holds "://"; a scheme before it, known or not, names a network port.
    const qsizetype mark = name.indexOf(QStringLiteral("://"));
    if (mark <= 0)
        return false;
    return std::all_of(name.cbegin(), name.cbegin() + mark, [](QChar c) {
        return c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.';
    });
}

QString networkPortProblem(const QString &name)
{
    if (parseNetworkPort(name))
        return QString();
    const QString usage = QStringLiteral("rfc2217://HOST:PORT, telnet://HOST:PORT or "
                                         "tcp://HOST:PORT, an IPv6 address in brackets");
    if (!hasKnownScheme(name))
        return QStringLiteral("unknown scheme %1:// (%2)")
            .arg(name.left(name.indexOf(QStringLiteral("://"))), usage);
    return QStringLiteral("not a network port (%1)").arg(usage);
}

std::optional<NetworkPort> parseNetworkPort(const QString &name)
{
    if (!hasKnownScheme(name))
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
    port.protocol = url.scheme() == rfc2217Scheme  ? NetworkPort::Protocol::Rfc2217
                    : url.scheme() == telnetScheme ? NetworkPort::Protocol::Telnet
                                                   : NetworkPort::Protocol::Tcp;
    port.host = host;
    port.port = url.port();
    return port;
}
