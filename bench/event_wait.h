#pragma once

#include <functional>

// Runs the Qt event loop for the given time: timers, serial data and painting go on.
void runEventLoopFor(int milliseconds);

// Runs the event loop until done() holds or the time is up, looking every few milliseconds.
// Returns whether done() came true.
template<typename Done>
bool runEventLoopUntil(Done done, int timeoutMilliseconds)
{
    constexpr int step = 20;
    for (int waited = 0; !done(); waited += step) {
        if (waited >= timeoutMilliseconds)
            return false;
        runEventLoopFor(step);
    }
    return true;
}

// The longest gap, in ms, between ticks of a 5 ms timer while the event loop runs for the
// given time or until done() holds: how long the window stops answering at worst.
double longestGapMs(
    int milliseconds, const std::function<bool()> &done = [] { return false; });
