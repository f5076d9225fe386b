// The byte log: the simulator's record format and the tests' reader of it agree.
#include "log_format.h"
#include "qt_printers.h"
#include "support/sim_log.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct RecordCase
{
    std::int64_t micros;
    LogDirection direction;
    QByteArray bytes;
    QByteArray line; // the text column is the bytes decoded in code page 932
};

void PrintTo(const RecordCase &c, std::ostream *os)
{
    *os << c.line.trimmed().toStdString();
}

class LogRecord : public ::testing::TestWithParam<RecordCase>
{
};

TEST_P(LogRecord, IsFormattedAsOneLineAndReadBack)
{
    const RecordCase &c = GetParam();
    const QString text = QStringDecoder("CP932").decode(c.bytes);
    const QByteArray line = formatLogRecord(c.micros, c.direction, c.bytes, text);
    EXPECT_EQ(line, c.line);

    const std::optional<SimLogRecord> record = parseSimLogLine(QByteArrayView(line).chopped(1));
    ASSERT_TRUE(record.has_value());
    EXPECT_NEAR(record->seconds, c.micros / 1e6, 1e-9);
    EXPECT_EQ(record->in, c.direction == LogDirection::In);
    EXPECT_EQ(record->bytes, c.bytes);
    EXPECT_EQ(record->text, logText(text));
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    LogRecord,
    ::testing::Values(
        RecordCase{12345, LogDirection::In, "STT\r", "0.012345 IN 53 54 54 0D\tSTT\\r\n"},
        RecordCase{1500000, LogDirection::Out, ">\r", "1.500000 OUT 3E 0D\t>\\r\n"},
        RecordCase{0, LogDirection::Out, "\x82\xa0", "0.000000 OUT 82 A0\t\xe3\x81\x82\n"},
        RecordCase{123456789, LogDirection::In, "\n", "123.456789 IN 0A\t\\n\n"},
        RecordCase{
            8, LogDirection::In, "a\tb\\\x1b", "0.000008 IN 61 09 62 5C 1B\ta\\tb\\\\\\x1b\n"},
        RecordCase{
            7, LogDirection::In, QByteArray("\0\x07", 2), "0.000007 IN 00 07\t\\x00\\x07\n"}));

class MalformedLine : public ::testing::TestWithParam<const char *>
{
};

TEST_P(MalformedLine, IsNotARecord)
{
    EXPECT_FALSE(parseSimLogLine(GetParam()).has_value());
}

INSTANTIATE_TEST_SUITE_P(Table,
                         MalformedLine,
                         ::testing::Values("",
                                           "0.1",
                                           "abc IN 41",
                                           "-1.0 IN 41",
                                           "0.1 XX 41",
                                           "0.1 in 41",
                                           "0.1 IN 4",
                                           "0.1 IN 4G",
                                           "0.1 IN 3e",
                                           "0.1 IN 414",
                                           "0.1 IN 41  42",
                                           "0.1 IN 41 "));

class SimLogFile : public ::testing::Test
{
protected:
    QString write(const QByteArray &content)
    {
        const QString path = m_dir.filePath("sim.log");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(SimLogFile, ReadsCompleteRecordsAndSkipsALineStillBeingWritten)
{
    const QString path = write("0.001000 IN 53 54\n"
                               "0.002000 IN 54 0D\n"
                               "0.002100 OUT 73 74 74 20 30 0D\tstt 0\\r\n"
                               "0.010000 IN 56 45");
    const QList<SimLogRecord> records = readSimLog(path);
    ASSERT_EQ(records.size(), 3);
    EXPECT_TRUE(records[0].in);
    EXPECT_EQ(records[0].bytes, "ST");
    EXPECT_DOUBLE_EQ(records[1].seconds, 0.002);
    EXPECT_FALSE(records[2].in);
    EXPECT_EQ(records[2].text, QStringLiteral("stt 0\\r"));
    EXPECT_EQ(receivedBytes(records), "STT\r");
    EXPECT_EQ(sentBytes(records), "stt 0\r");
}

TEST_F(SimLogFile, MissingFileHasNoRecords)
{
    EXPECT_TRUE(readSimLog(m_dir.filePath("none.log")).isEmpty());
}

TEST_F(SimLogFile, JoinsBytesOfEachDirectionInOrder)
{
    const QList<SimLogRecord> records{{0.1, true, "VE", {}},
                                      {0.2, false, "x", {}},
                                      {0.3, true, "R\r", {}},
                                      {0.4, false, "ver 1.00\r", {}}};
    EXPECT_EQ(receivedBytes(records), "VER\r");
    EXPECT_EQ(sentBytes(records), "xver 1.00\r");
}

} // namespace
