// The text a record command carries, built from the send box.
#include "commands/record_play.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordPayload, FirstLineWithoutItsFirstThreeCharacters)
{
    const struct
    {
        const char16_t *sendBox;
        const char16_t *payload;
    } rows[] = {
        {u"MSGあいう\r\nMSGかきく\r\n", u"あいう"},
        {u"MSGabc\nMSGdef\n", u"abc\nMSGdef\n"},
        {u"MSGabc", u"abc"},
        {u"", u""},
        {u"MSG", u""},
        {u"MS", u""},
        {u"MSG\r\nMSGabc", u""},
        {u"\r\nMSGabc", u""},
        {u"xyzabc\r\n", u"abc"},
        {u"msgあ\r", u"あ"},
    };
    for (const auto &row : rows) {
        const QString sendBox = QString::fromUtf16(row.sendBox);
        SCOPED_TRACE(sendBox.toStdString());
        EXPECT_EQ(recordPayload(sendBox), QString::fromUtf16(row.payload));
    }
}

} // namespace
