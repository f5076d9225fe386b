#pragma once

#include "transport/tcp_connection.h"

#include <QString>
#include <QStringList>

// The TCP connections of this process, or why there are none.
struct TcpConnections
{
    TcpConnectionFactory make = nullptr;
    // Why the module could not be loaded, naming the file; empty when make is set.
    QString problem;
};

// The connections of this process: those linked in when a program registered them, else the
// network module's, loaded on the first call. A module that failed to load is tried again at
// the next call, so putting it in place helps without a restart.
TcpConnections tcpConnections();

// Registers connections that the program carries linked in.
void linkTcpConnections(TcpConnectionFactory make);

// The folders the module is looked for in, in order: beside the program, then the private
// folder of an installed program, found relative to the program's folder.
QStringList networkModuleFolders();

// Loads the network module from the first of the folders that holds its file.
TcpConnections loadNetworkModule(const QStringList &folders);
