// The entry of the network module (libparlino-network.so, parlino-network.dll): the one symbol
// the program looks up once it has loaded the module.
#include "transport/qt_tcp_connection.h"

extern "C" Q_DECL_EXPORT TcpConnection *PARLINO_TCP_CONNECTION_FACTORY(TcpListener *listener,
                                                                       QObject *parent)
{
    return makeQtTcpConnection(listener, parent);
}
