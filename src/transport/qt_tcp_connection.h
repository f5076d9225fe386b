#pragma once

#include "transport/tcp_connection.h"

// The TCP connection over Qt Network's QTcpSocket. Built into the network module, or linked
// into a program that carries it (linked_tcp_connections.cpp); never into the core library.
TcpConnection *makeQtTcpConnection(TcpListener *listener, QObject *parent);
