#pragma once

#include <functional>

// Ends the program: every event loop, also one a handler waits in, returns at once.
void EndProgram();

// Tests record the end instead of ending the test program. Returns the handler installed
// before; an empty one restores the real end.
std::function<void()> installEndProgramHandler(std::function<void()> handler);
