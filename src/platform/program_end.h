#pragma once

#include <functional>

// Ends the program with the exit status: every event loop, also one a handler waits in,
// returns at once.
void EndProgram(int exitStatus = 0);

// Tests record the end instead of ending the test program. Returns the handler installed
// before; an empty one restores the real end.
std::function<void()> installEndProgramHandler(std::function<void()> handler);
