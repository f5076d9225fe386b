// Text to bytes and back in code page 932, as the module and the files expect it.
#include "text/cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932, EncodesWhatTheModuleTakes)
{
    // unencodable: the index firstUnencodable() must give, -1 when every character has a form.
    const struct
    {
        const char16_t *text;
        QByteArray bytes;
        qsizetype unencodable = -1;
    } rows[] = {
        {u"STT", "STT"},
        {u"MSGあ", "MSG\x82\xA0"},
        {u"ｱｲｳ", "\xB1\xB2\xB3"},
        {u"ー、。", "\x81\x5B\x81\x41\x81\x42"},
        {u"\uFF5E", "\x81\x60"},
        // The twins that Linux input methods type where Windows types the code page form.
        {u"\u301C", "\x81\x60"},
        {u"\u2016", "\x81\x61"},
        {u"\u2212", "\x81\x7C"},
        {u"\u00A2", "\x81\x91"},
        {u"\u00A3", "\x81\x92"},
        {u"\u00AC", "\x81\xCA"},
        {u"\u2014", "\x81\x5C"},
        // What the code page lacks goes out as '?', never as the converter's own bytes.
        {u"\u0100", "?", 0},
        {u"a\U0001F600b", "a?b", 1},
        {u"\uFFFD", "?", 0},
        {u"丂あ", "?\x82\xA0", 0},
        {u"あ한", "\x82\xA0?", 1},
        {u"ab\xD800"
         u"c",
         "ab?c",
         2},
        {u"?", "?"},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf16(row.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(cp932::encode(text).toHex(' '), row.bytes.toHex(' '));
        EXPECT_EQ(cp932::firstUnencodable(text), row.unencodable);
    }
}

TEST(Cp932, DecodesAndRoundTrips)
{
    EXPECT_EQ(cp932::decode("stt 0\r"), QStringLiteral("stt 0\r"));
    EXPECT_EQ(cp932::decode("\x82\xA0\x81\x60\xB1"), QStringLiteral("あ\uFF5Eｱ"));
    const QString kana = QStringLiteral("ちきゅうから、た'いようまでの");
    EXPECT_EQ(cp932::decode(cp932::encode(kana)), kana);
    EXPECT_EQ(cp932::decode("\x82"), QStringLiteral("\u001A"));
    EXPECT_EQ(cp932::decode("ab\xFF\r"), QStringLiteral("ab\u001A\r"));
}

TEST(Cp932, StrictDecodingRefusesWhatIsNoCharacter)
{
    EXPECT_EQ(cp932::decodeStrict("\x82\xA0\x1A\r\n"), QStringLiteral("あ\u001A\r\n"));
    EXPECT_EQ(cp932::decodeStrict(""), QString());
    for (const QByteArray &bad : {QByteArray("\x82"),
                                  QByteArray("a\xFF"
                                             "b"),
                                  QByteArray("\x82 "),
                                  QByteArray("\x85\x40"),
                                  QByteArray("\xE3\x81\x82")}) {
        SCOPED_TRACE(bad.toHex(' ').toStdString());
        EXPECT_FALSE(cp932::decodeStrict(bad));
    }
}

} // namespace
