#pragma once

#include <QString>

#include <optional>

// What the operator is told when text holds a character that code page 932 has no form for
// (an emoji, hangul, a character of simplified Chinese only): the character, its code and
// its line (from 1). Nothing when every character can go on the line.
std::optional<QString> unencodableCharacterMessage(const QString &text);
