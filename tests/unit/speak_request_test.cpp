// The speak request's check, completion and split, on raw strings.
#include "speak/speak_request.h"

#include <gtest/gtest.h>

namespace {

TEST(SpeakRequest, OnlyTextBeginningWithMsgIsAccepted)
{
    const struct
    {
        const char *text;
        bool accepted;
    } rows[] = {{"MSG", true},
                {"MSGabc", true},
                {"MSG\r\n", true},
                {"msgabc", false},
                {"MSg", false},
                {"MS", false},
                {"", false},
                {"\r\nMSGabc", false},
                {" MSGabc", false}};
    for (const auto &row : rows)
        EXPECT_EQ(beginsWithMsg(QString::fromLatin1(row.text)), row.accepted) << row.text;
}

TEST(SpeakRequest, CompletionAndSplitKeepEveryCr)
{
    const struct
    {
        const char *text;
        const char *completed;
        QStringList elements;
    } rows[] = {
        {"MSGabc", "MSGabc\r\n", {"MSGabc\r", ""}},
        {"MSGabc\r\nMSGdef\r\n", "MSGabc\r\nMSGdef\r\n", {"MSGabc\r", "MSGdef\r", ""}},
        {"MSGabc\r\n\r\nMSGdef", "MSGabc\r\n\r\nMSGdef\r\n", {"MSGabc\r", "\r", "MSGdef\r", ""}},
        {"MSGabc\n", "MSGabc\n\r\n", {"MSGabc", "\r", ""}},
        {"MSGabc\r", "MSGabc\r\r\n", {"MSGabc\r\r", ""}},
        {"MSGa\r\nxyz\r\n", "MSGa\r\nxyz\r\n", {"MSGa\r", "xyz\r", ""}},
        {"MSG\r\n\n", "MSG\r\n\n\r\n", {"MSG\r", "", "\r", ""}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(QByteArray(row.text).toHex().toStdString());
        const QString completed = completeWithCrLf(QString::fromLatin1(row.text));
        EXPECT_EQ(completed, QString::fromLatin1(row.completed));
        const QStringList elements = splitAtLineFeeds(completed);
        EXPECT_EQ(elements, row.elements);
        EXPECT_EQ(elements.size() - 1, completed.count(u'\n'));
        EXPECT_TRUE(elements.last().isEmpty());
    }
}

} // namespace
