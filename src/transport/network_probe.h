#pragma once

#include <QString>

// How a port name of a serial-port server ("rfc2217://HOST:PORT", "tcp://HOST:PORT") fares
// now, for the port listing: "answers", "does not answer: <cause>", or why the name reaches
// no port. Connects and closes again, without touching the line; waits a few seconds at most.
QString networkPortState(const QString &name);
