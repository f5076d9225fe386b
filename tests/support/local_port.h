#pragma once

// A port on 127.0.0.1 that nothing listens on (the system's pick, released again). Shared by
// the ser2net fixture of the tests and the round-trip figure of the benchmarks.
int freeLocalPort();

// Whether something listens on 127.0.0.1:port, read from the kernel's socket table rather than
// by connecting, which a server that takes one client at a time would count as its client.
bool listensOnLocalPort(int port);
