#include "speakable_text.h"

#include <algorithm>
#include <array>

namespace {

struct CharacterRange
{
    char16_t first;
    char16_t last;
};

constexpr std::array speakableRanges{
    CharacterRange{u'\u3041', u'\u3096'}, // hiragana
    CharacterRange{u'\u309D', u'\u309E'}, // hiragana iteration marks
    CharacterRange{u'\u30A1', u'\u30FA'}, // katakana
    CharacterRange{u'\u30FC', u'\u30FC'}, // prolonged sound mark
    CharacterRange{u'\u30FD', u'\u30FE'}, // katakana iteration marks
    CharacterRange{u'\uFF61', u'\uFF9F'}, // half-width katakana and its marks
    CharacterRange{u'\u0020', u'\u0020'}, // space
    CharacterRange{u'\u3000', u'\u3000'}, // ideographic space
    CharacterRange{u'\u3001', u'\u3002'}, // 、。
    CharacterRange{u'\uFF0C', u'\uFF0C'}, // ，
    CharacterRange{u'\uFF0E', u'\uFF0E'}, // ．
    CharacterRange{u'\uFF1F', u'\uFF1F'}, // ？
    CharacterRange{u'\uFF01', u'\uFF01'}, // ！
    CharacterRange{u'\u0027', u'\u0027'}, // ' accent mark
};

} // namespace

bool isSpeakableCharacter(char16_t c)
{
    return std::any_of(speakableRanges.begin(), speakableRanges.end(), [c](CharacterRange r) {
        return r.first <= c && c <= r.last;
    });
}

bool isSpeakableText(QStringView text)
{
    return std::all_of(
        text.begin(), text.end(), [](QChar c) { return isSpeakableCharacter(c.unicode()); });
}
