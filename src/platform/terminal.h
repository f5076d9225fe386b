#pragma once

#include <functional>

// True when standard error is a terminal (a console window on Windows), where a status line
// can be rewritten in place; false for a file, a pipe or a CI log.
bool standardErrorIsTerminal();

// A status line kept on standard error and rewritten in place is taken away before any
// message line is written there, and drawn again by its owner later: the owner installs the
// eraser (an empty one removes it), the writers of messages call eraseConsoleStatus() first.
void setConsoleStatusEraser(std::function<void()> eraser);
void eraseConsoleStatus();
