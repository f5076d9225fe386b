#pragma once

#include <QString>

// The device that port number n (COM1 = 1) reaches: the environment variable PARLINO_COM<n>
// when it is set, else COM<n> on Windows and /dev/ttyS<n-1> elsewhere.
QString devicePathForPort(int port);

// The shell command that maps port number n to the device: "export PARLINO_COM<n>=<path>",
// "set PARLINO_COM<n>=<path>" on Windows.
QString mapPortCommand(int port, const QString &path);
