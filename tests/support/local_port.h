#pragma once

// A port on 127.0.0.1 that nothing listens on (the system's pick, released again). Shared by
// the ser2net fixture of the tests and the round-trip figure of the benchmarks.
int freeLocalPort();
