#pragma once

#include <QStringView>

// What the module can speak: hiragana, katakana (full and half width), the prolonged sound mark,
// spaces (ASCII and ideographic), the marks 、。，．？！ and the apostrophe, which marks an accent.
bool isSpeakableCharacter(char16_t c);

// True when every character of the text is speakable; an empty text is trivially true.
bool isSpeakableText(QStringView text);
