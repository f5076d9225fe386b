#pragma once

#include <functional>

// Calls the handler on the main thread, from the event loop, when the program is asked from
// outside to end: SIGINT or SIGTERM on Linux; Ctrl+C, Ctrl+Break or the console closing on
// Windows. The handler gets the exit status a shell reports for it: 130 for an interrupt,
// 143 for a termination. Installed once; a later call replaces the handler.
void onTerminationRequest(std::function<void(int exitStatus)> handler);
