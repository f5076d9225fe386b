#pragma once

// How long a handler waits for the module's answer. At 38400 bit/s the module answers in a
// few milliseconds; the wait is time-based and leaves the processor idle.
constexpr int ReplyWait = 300;

// Runs the event loop for the given time: received data, both timers and window input go
// on meanwhile.
void WaitForReply(int milliseconds = ReplyWait);
