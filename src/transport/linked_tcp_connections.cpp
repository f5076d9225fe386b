// For programs that carry the network implementation linked in (the test programs and the
// benchmarks, which run from folders without the module beside them): it is registered as
// the program starts, and the loader then never looks for the module.
#include "transport/qt_tcp_connection.h"
#include "transport/tcp_connection_loader.h"

namespace {

[[maybe_unused]] const bool registered = (linkTcpConnections(&makeQtTcpConnection), true);

} // namespace
