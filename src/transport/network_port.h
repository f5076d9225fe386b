#pragma once

#include <QString>

#include <optional>

// A module served over the network by a serial-port server such as ser2net:
// "rfc2217://HOST:PORT" speaks telnet with the COM port option (the console sets the line),
// "telnet://HOST:PORT" speaks plain telnet (the server's line settings hold), "tcp://HOST:PORT"
// carries the bytes as they are (the server's line settings hold). HOST is a name, an IPv4
// address or an IPv6 address in brackets ("rfc2217://[::1]:3001").
struct NetworkPort
{
    enum class Protocol { Rfc2217, Tcp, Telnet };

    Protocol protocol = Protocol::Tcp;
    QString host; // an IPv6 address without its brackets
    int port = 0;

    bool operator==(const NetworkPort &) const = default;
};

// Whether a device name asks for a network port: it starts with a scheme and "://"
// ("rfc2217://", "telnet://", "tcp://", or one the console does not know, such as "udp://"). Such a
// name never reaches the serial port, also when the rest of it is malformed.
bool isNetworkPortName(const QString &name);

// Why a network port name reaches no port ("unknown scheme udp:// ...", "not a network port
// ..."); empty when it is a good one.
QString networkPortProblem(const QString &name);

// The network port a name gives; nothing when it is no network port name or is malformed
// (no port, a port beyond 1 to 65535, a path, user or query part, or a host with characters
// that no host name or address has).
std::optional<NetworkPort> parseNetworkPort(const QString &name);
