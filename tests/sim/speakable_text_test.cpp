// Which characters the simulated module speaks, checked at the edges of every allowed range.
#include "qt_printers.h"
#include "speakable_text.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

struct CharacterCase
{
    char16_t character;
    bool speakable;
};

void PrintTo(const CharacterCase &c, std::ostream *os)
{
    *os << "U+" << QString::number(c.character, 16).toUpper().toStdString();
}

class Character : public ::testing::TestWithParam<CharacterCase>
{
};

TEST_P(Character, IsSpeakableExactlyWhenInAnAllowedRange)
{
    EXPECT_EQ(isSpeakableCharacter(GetParam().character), GetParam().speakable);
    const QString text(QChar(GetParam().character));
    EXPECT_EQ(isSpeakableText(text), GetParam().speakable);
    EXPECT_EQ(isSpeakableText(QChar(u'あ') + text + QChar(u'ア')), GetParam().speakable);
}

INSTANTIATE_TEST_SUITE_P(Allowed,
                         Character,
                         ::testing::Values(CharacterCase{u'\u3041', true}, // ぁ
                                           CharacterCase{u'\u3042', true}, // あ
                                           CharacterCase{u'\u3096', true}, // ゖ
                                           CharacterCase{u'\u309D', true}, // ゝ
                                           CharacterCase{u'\u309E', true}, // ゞ
                                           CharacterCase{u'\u30A1', true}, // ァ
                                           CharacterCase{u'\u30FA', true}, // ヺ
                                           CharacterCase{u'\u30FC', true}, // ー
                                           CharacterCase{u'\u30FD', true}, // ヽ
                                           CharacterCase{u'\u30FE', true}, // ヾ
                                           CharacterCase{u'\uFF61', true}, // ｡
                                           CharacterCase{u'\uFF71', true}, // ｱ
                                           CharacterCase{u'\uFF9E', true}, // ﾞ
                                           CharacterCase{u'\uFF9F', true}, // ﾟ
                                           CharacterCase{u' ', true},
                                           CharacterCase{u'\u3000', true}, // ideographic space
                                           CharacterCase{u'\u3001', true}, // 、
                                           CharacterCase{u'\u3002', true}, // 。
                                           CharacterCase{u'\uFF0C', true}, // ，
                                           CharacterCase{u'\uFF0E', true}, // ．
                                           CharacterCase{u'\uFF1F', true}, // ？
                                           CharacterCase{u'\uFF01', true}, // ！
                                           CharacterCase{u'\'', true}));

INSTANTIATE_TEST_SUITE_P(Refused,
                         Character,
                         ::testing::Values(CharacterCase{u'\u3040', false},
                                           CharacterCase{u'\u3097', false},
                                           CharacterCase{u'\u3099', false}, // combining voiced mark
                                           CharacterCase{u'\u309B', false}, // ゛
                                           CharacterCase{u'\u309F', false},
                                           CharacterCase{u'\u30A0', false},
                                           CharacterCase{u'\u30FB', false}, // ・
                                           CharacterCase{u'\u30FF', false},
                                           CharacterCase{u'\uFF60', false},
                                           CharacterCase{u'\uFFA0', false},
                                           CharacterCase{u'\u3003', false}, // 〃
                                           CharacterCase{u'\uFF5E', false}, // ～
                                           CharacterCase{u'\u6F22', false}, // 漢
                                           CharacterCase{u'A', false},
                                           CharacterCase{u'z', false},
                                           CharacterCase{u'0', false},
                                           CharacterCase{u'?', false},
                                           CharacterCase{u'!', false},
                                           CharacterCase{u',', false},
                                           CharacterCase{u'.', false},
                                           CharacterCase{u'"', false},
                                           CharacterCase{u'\t', false},
                                           CharacterCase{u'\r', false},
                                           CharacterCase{u'\n', false},
                                           CharacterCase{u'\u001A', false},
                                           CharacterCase{u'\uFFFD', false}));

TEST(SpeakableText, EmptyTextHasNothingToRefuse)
{
    EXPECT_TRUE(isSpeakableText(u""));
}

TEST(SpeakableText, CharacterOutsideTheBasicPlaneIsRefused)
{
    EXPECT_FALSE(isSpeakableText(QString::fromUcs4(U"\U0001F600")));
    EXPECT_FALSE(isSpeakableText(QChar(u'あ') + QString::fromUcs4(U"\U0001B001")));
}

} // namespace
