// Faults the fuzz targets in fuzz/ and the sanitized test run (tools/test-sanitized) found,
// each kept as a case that fails without its fix.
#include "text/cp932.h"

#include <gtest/gtest.h>

namespace {

// Encoded while the program starts, before the code page's own file is initialised: the
// substitute that encode() compares against was still empty, so it let 0xFC 0xFC through.
const QByteArray encodedAtStart = cp932::encode(u"\u0100");

TEST(FuzzFound, EncodesAlsoDuringStaticInitialisation)
{
    EXPECT_EQ(encodedAtStart.toHex(' ').toStdString(), "3f");
}

TEST(FuzzFound, HalfASurrogatePairGoesOutAsAQuestionMarkAlone)
{
    // The converter kept a lone high surrogate and put its substitute 0xFC 0xFC before the
    // next character outside ASCII.
    const struct
    {
        QString text;
        QByteArray bytes;
    } rows[] = {
        {QString(QChar(0xD800)) + QStringLiteral("あ"), "?\x82\xA0"},
        {QString(QChar(0xD800)) + QStringLiteral("Aあ"), "?A\x82\xA0"},
        {QStringLiteral("あ") + QChar(0xDBFF), "\x82\xA0?"},
        {QString(QChar(0xDC00)) + QChar(0xD800) + QStringLiteral("ｱ"), "??\xB1"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bytes.toHex(' ').toStdString());
        EXPECT_EQ(cp932::encode(row.text).toHex(' ').toStdString(),
                  row.bytes.toHex(' ').toStdString());
    }
}

TEST(FuzzFound, ControlCodesReadAsThemselves)
{
    // The converter's table read 0x1A as U+001C, 0x1C as U+007F and 0x7F as U+001A, while
    // encode() writes them unchanged: a Ctrl-Z in a file went to the module as 0x1C.
    const QByteArray controls("\x1A\x1C\x7F", 3);
    EXPECT_EQ(cp932::decode(controls), QStringLiteral("\u001A\u001C\u007F"));
    EXPECT_EQ(cp932::encode(cp932::decode(controls)), controls);
    EXPECT_EQ(cp932::decode("MSG\x82\xA0\x1A\r\n"), QStringLiteral("MSGあ\u001A\r\n"));
    // A lead byte cut off by one of them is still an invalid byte of its own.
    EXPECT_EQ(cp932::decode("\x82\x7F\x82\xA0"), QStringLiteral("\u001A\u007Fあ"));
}

TEST(FuzzFound, ControlCodesArriveAsThemselvesInPieces)
{
    // The receive path decodes arrivals one by one with the same code page table.
    cp932::Decoder decoder;
    EXPECT_EQ(decoder.decode("stt\x1A"), QStringLiteral("stt\u001A"));
    EXPECT_EQ(decoder.decode("\x82"), QString());
    EXPECT_EQ(decoder.decode("\xA0\x7F\x82"), QStringLiteral("あ\u007F"));
    // The lead byte held back is no character before a control code.
    EXPECT_EQ(decoder.decode("\x1C 0\r"), QStringLiteral("\u001A\u001C 0\r"));
}

} // namespace
