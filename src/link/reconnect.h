#pragma once

// How often the window looks for a lost device while one is lost, in milliseconds: it comes
// back open within about a second.
constexpr int reconnectWatchMs = 400;
// Opens tried on a device that has come back before waiting for it to go and come again.
constexpr int reopenTriesPerReturn = 8;
// A port on the network is asked again every this many looks (about 5 s): an open waits for
// its server for up to 5 s.
constexpr int networkRetryTicks = 12;
