// The line monitor's rows: one a record, status replies paired with their polls, bounded.
#include "monitor/monitor_window.h"
#include "monitor/record_model.h"

#include <gtest/gtest.h>

namespace {

QString cell(const RecordModel &model, int row, int column)
{
    return model.index(row, column).data().toString();
}

TEST(RecordModel, OneRowARecordAsTheTranscriptHasIt)
{
    RecordModel model;
    model.append(0, "OPEN", "COM1", {});
    model.append(1.5, "OUT", "VER\r", "VER\r");
    model.append(4.25, "IN", "ver 1.00\r", "ver 1.00\r");
    model.append(9, "POLL-TIMEOUT", "no reply", {});
    // A character split between two receives: the text as the line carried it.
    model.append(10, "IN", "", "\x82");
    model.append(11, "IN", "あい", "\xa0\x82\xa2");
    EXPECT_EQ(model.rowCount(), 0) << "rows wait for the batch";
    model.flush();
    const struct
    {
        int row;
        const char *time, *kind, *text, *bytes;
    } rows[] = {
        {0, "0.000", "OPEN", "COM1", ""},
        {1, "1.500", "送信", "VER\\r", "56 45 52 0D"},
        {2, "4.250", "受信", "ver 1.00\\r", "76 65 72 20 31 2E 30 30 0D"},
        {3, "9.000", "POLL-TIMEOUT", "no reply", ""},
        {4, "10.000", "受信", "", "82"},
        {5, "11.000", "受信", "あい", "A0 82 A2"},
    };
    ASSERT_EQ(model.rowCount(), 6);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.row);
        EXPECT_EQ(cell(model, row.row, RecordModel::TimeColumn), QString::fromUtf8(row.time));
        EXPECT_EQ(cell(model, row.row, RecordModel::KindColumn), QString::fromUtf8(row.kind));
        EXPECT_EQ(cell(model, row.row, RecordModel::TextColumn), QString::fromUtf8(row.text));
        EXPECT_EQ(cell(model, row.row, RecordModel::BytesColumn), QString::fromUtf8(row.bytes));
    }
    EXPECT_EQ(model.transcriptText({1}), QStringLiteral("1.500\tOUT\tVER\\r\t56 45 52 0D\n"));
}

TEST(RecordModel, RepliesNameThePollTheyAnswerAndHowLate)
{
    RecordModel model;
    PollFilter filter;
    filter.setSourceModel(&model);
    model.append(10, "OUT", "STT\r", "STT\r", 7);
    model.append(12, "OUT", "STT\r", "STT\r", 8);
    model.append(14.5, "IN", "stt 1\r", "stt 1\r");
    model.noteStatusAnswered("stt 1", 7);
    model.append(20, "OUT", "MSGあ\r", "MSG\x82\xa0\r");
    model.noteLineWritten(2);
    model.append(30, "IN", "stt 0\r", "stt 0\r");
    model.noteStatusAnswered("stt 0", 8);
    model.append(40, "IN", "stt 0\r", "stt 0\r");
    model.noteStatusAnswered("stt 0", 0);
    model.flush();
    const struct
    {
        int row;
        const char *note;
        bool pollTraffic;
    } rows[] = {
        {0, "STT #7", true},
        {1, "STT #8", true},
        {2, "stt 1: STT #7 への応答 (4.5 ms後)", true},
        {3, "3行目", false},
        {4, "stt 0: STT #8 への応答 (18.0 ms後)", true},
        {5, "stt 0: 問い合わせなし", false},
    };
    ASSERT_EQ(model.rowCount(), 6);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.row);
        EXPECT_EQ(cell(model, row.row, RecordModel::NoteColumn), QString::fromUtf8(row.note));
        EXPECT_EQ(model.index(row.row, 0).data(RecordModel::PollTrafficRole).toBool(),
                  row.pollTraffic);
    }
    // Hiding polls leaves the line and the reply nobody asked for.
    filter.setHidePolls(true);
    ASSERT_EQ(filter.rowCount(), 2);
    EXPECT_EQ(filter.index(0, RecordModel::NoteColumn).data().toString(), QStringLiteral("3行目"));
    filter.setHidePolls(false);
    EXPECT_EQ(filter.rowCount(), 6);
}

TEST(RecordModel, KeepsTheNewestRowsAndSaysHowManyWereDropped)
{
    const struct
    {
        int maxRows, appended, batches;
    } cases[] = {{3, 5, 1}, {3, 5, 5}, {3, 12, 3}, {4, 4, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.appended);
        RecordModel model;
        model.setMaxRows(c.maxRows);
        for (int i = 0; i < c.appended; ++i) {
            model.append(i, "IN", QString::number(i), QByteArray::number(i));
            if ((i + 1) % (c.appended / c.batches) == 0)
                model.flush();
        }
        model.flush();
        const int kept = std::min(c.maxRows, c.appended);
        ASSERT_EQ(model.rowCount(), kept);
        EXPECT_EQ(model.droppedRows(), quint64(c.appended - kept));
        EXPECT_EQ(cell(model, 0, RecordModel::TextColumn), QString::number(c.appended - kept));
        const QStringList saved = model.transcriptText().split(u'\n', Qt::SkipEmptyParts);
        const bool dropped = c.appended > kept;
        ASSERT_EQ(saved.size(), kept + (dropped ? 1 : 0));
        EXPECT_EQ(saved.first().contains(
                      QStringLiteral("\tDROPPED\t%1 older records").arg(c.appended - kept)),
                  dropped);
    }
    RecordModel model;
    model.append(0, "IN", QString(300, u'x'), QByteArray(300, 'x'));
    model.flush();
    // A cell shows the start; a copy has what the row keeps.
    EXPECT_TRUE(cell(model, 0, RecordModel::BytesColumn).endsWith(QStringLiteral("78 …(+276)")));
    EXPECT_EQ(cell(model, 0, RecordModel::TextColumn),
              QString(RecordModel::shownChars, u'x') + u'…');
    EXPECT_EQ(model.transcriptText({0}).count(u'x'), 256);
    // Of bytes cut, the row has the text of those kept.
    model.append(1, "IN", QString(200, u'あ'), QByteArray("\x82\xa0").repeated(200));
    model.flush();
    EXPECT_EQ(model.record(1).text, QString(128, u'あ'));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.droppedRows(), 0u);
}

} // namespace
