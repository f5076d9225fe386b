// The text a record command carries, built from the send box.
#include "commands/record_play.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordPayload, FirstLineWithoutItsMsgAndNothingWhenItHasNone)
{
    const struct
    {
        const char16_t *sendBox;
        const char16_t *payload; // null: refused
    } rows[] = {
        {u"MSGあいう\r\nMSGかきく\r\n", u"あいう"},
        {u"MSGabc\nMSGdef\n", u"abc\nMSGdef\n"},
        {u"MSGabc", u"abc"},
        {u"MSG", u""},
        {u"MSG\r\nMSGabc", u""},
        // A first line without its "MSG" is refused, whatever follows.
        {u"", nullptr},
        {u"MS", nullptr},
        {u"\r\nMSGabc", nullptr},
        {u"ABCDEFG", nullptr},
        {u"xyzabc\r\n", nullptr},
        {u"msgあ\r", nullptr},
        {u" MSGあ", nullptr},
    };
    for (const auto &row : rows) {
        const QString sendBox = QString::fromUtf16(row.sendBox);
        SCOPED_TRACE(sendBox.toStdString());
        EXPECT_EQ(recordPayload(sendBox),
                  row.payload ? std::optional(QString::fromUtf16(row.payload)) : std::nullopt);
    }
}

} // namespace
