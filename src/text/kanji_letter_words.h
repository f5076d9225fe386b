#pragma once

#include <string_view>

// Real Japanese words whose code page 932 bytes UTF-8 reads as a kanji and an ASCII character
// (驟雨 as 酉J), separated by spaces: where a UTF-8 reading shows such a kanji and letter, the
// code page 932 reading is this word.
extern const std::u16string_view kanjiLetterWords;
