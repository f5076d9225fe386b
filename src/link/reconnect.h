#pragma once

#include <QString>

// How often the window looks for a lost device while one is lost, in milliseconds: it comes
// back open within about a second.
constexpr int reconnectWatchMs = 400;
// Opens tried on a device that has come back before waiting for it to go and come again.
constexpr int reopenTriesPerReturn = 8;
// A port on the network is asked again every this many looks (about 5 s): an open waits for
// its server for up to 5 s.
constexpr int networkRetryTicks = 12;

// The box that tells the operator the device went away. At most one is open at a time, and it
// closes by itself once the device has been opened again.
inline const QString deviceLostPrompt = QStringLiteral("COMが切断されました");
