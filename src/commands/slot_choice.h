#pragma once

#include <QString>

#include <optional>

struct SlotCommands
{
    QString record; // "EEP01" ... "EEP32"
    QString play;   // "SEL01" ... "SEL32"
};

// The commands of a slot name "ROM1" ... "ROM32", compared exactly and case-sensitively;
// nothing for any other text.
std::optional<SlotCommands> slotCommandsOf(const QString &slotName);
