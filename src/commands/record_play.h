#pragma once

#include <QString>

// The text a record command carries: the send box up to its first CR (the whole box when it
// has none), without its first three characters, where a send line has its "MSG".
QString recordPayload(const QString &sendText);

// How long record waits for the module to report idle before it gives up, in ms.
constexpr int recordTimeout = 10000;
