#pragma once

#include <QString>

#include <optional>

// The text a record command carries: the send box up to its first CR (the whole box when it
// has none), without the "MSG" it begins with. Nothing when that first line does not begin
// with "MSG": record refuses it as 発話 does.
std::optional<QString> recordPayload(const QString &sendText);

// How long record waits for the module to report idle before it gives up, in ms.
constexpr int recordTimeout = 10000;
