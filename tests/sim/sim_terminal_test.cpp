// The built simulator over a real pseudo-terminal: answers, fault switches and the byte log.
#include "pty_client.h"
#include "qt_printers.h"
#include "support/sim_fixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Records of one direction only.
QList<SimLogRecord> recordsOf(const QList<SimLogRecord> &log, bool in)
{
    QList<SimLogRecord> records;
    for (const SimLogRecord &record : log) {
        if (record.in == in)
            records.append(record);
    }
    return records;
}

struct AnswerCase
{
    const char *command;
    const char *answer;
    QStringList arguments = {}; // the simulator's switches
};

void PrintTo(const AnswerCase &c, std::ostream *os)
{
    PrintTo(QByteArray(c.command), os);
}

class AnswerOverTerminal : public ::testing::TestWithParam<AnswerCase>
{
};

TEST_P(AnswerOverTerminal, ComesBackExactly)
{
    SimModule sim(GetParam().arguments);
    ASSERT_FALSE(sim.ptyPath().isEmpty());
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.isOpen());
    // Read until the whole expected answer is in: some commands get more than one answer line.
    const QByteArray answer(GetParam().answer);
    ASSERT_TRUE(console.write(GetParam().command));
    EXPECT_EQ(console.readUntil(answer, 2000), answer);
}

INSTANTIATE_TEST_SUITE_P(Commands,
                         AnswerOverTerminal,
                         ::testing::Values(AnswerCase{"VER\r", "ver 1.00\r"},
                                           AnswerCase{"STT\r", "stt 0\r"},
                                           AnswerCase{"CLR0\r", ">\r"},
                                           AnswerCase{"\r\nSTT\r", "stt 0\r"},
                                           AnswerCase{"BAD\r", "?\r"},
                                           AnswerCase{"\xff\r", "?\r"},
                                           AnswerCase{"\r\rBAD\r", "?\r"},
                                           AnswerCase{"BAD\rSTT\r", "?\rstt-1\r"},
                                           AnswerCase{"BAD\rSSD01\rCLR0\r", "?\r?\r>\r"},
                                           AnswerCase{"SSD01\rSSD02\r", ">\r?\r"}));

INSTANTIATE_TEST_SUITE_P(
    StatusSwitches,
    AnswerOverTerminal,
    ::testing::Values(AnswerCase{"SSD01\rSTT\r", ">\rstt 2\r", {"--busy-status", "stt 2"}},
                      AnswerCase{"STT\r", "stt 0\r", {"--busy-status", "stt 2"}},
                      AnswerCase{"STT\rVER\r", "stt 1\rver 1.00\r", {"--no-idle"}},
                      AnswerCase{"BAD\rSTT\r", "?\rstt-1\r", {"--no-idle"}},
                      AnswerCase{"STT\r", "stt-1\r", {"--no-idle", "--busy-status", "stt-1"}},
                      AnswerCase{"VER\rSTT\r", "ver 1.00\rstt 0\r", {"--byte-rate", "100"}}));

TEST(SimTerminal, KanaInCp932IsSpokenUntilItsTimeIsUp)
{
    SimModule sim({"--char-ms", "60"});
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.isOpen());
    QElapsedTimer sinceSent;
    sinceSent.start();
    // あいうえお: five characters, 300 ms at 60 ms each.
    ASSERT_EQ(console.ask("MSG\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\r"), ">\r");
    EXPECT_EQ(console.ask("STT\r"), "stt 1\r");
    QByteArray status;
    while (sinceSent.elapsed() < 5000 && (status = console.ask("STT\r")) == "stt 1\r")
        console.readChunksFor(20);
    EXPECT_EQ(status, "stt 0\r");
    // The module heard the MSG after it was sent, so idle cannot come before 300 ms.
    EXPECT_GE(sinceSent.elapsed(), 295);
}

TEST(SimTerminal, ZeroCharMsEndsSpeakingAtOnce)
{
    SimModule sim({"--char-ms", "0"});
    PtyClient console(sim.ptyPath());
    ASSERT_EQ(console.ask("MSG\x82\xa0\x82\xa2\r"), ">\r");
    EXPECT_EQ(console.ask("STT\r"), "stt 0\r");
}

TEST(SimTerminal, SilentAnswersNothingButLogsWhatItHeard)
{
    SimModule sim({"--silent"});
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.write("VER\rSTT\rBAD\rSTT\r"));
    EXPECT_TRUE(console.readChunksFor(300).isEmpty());
    EXPECT_EQ(sim.received(), "VER\rSTT\rBAD\rSTT\r");
    EXPECT_TRUE(sim.sent().isEmpty());
}

TEST(SimTerminal, QuietLeavesOutOnlyTheAcknowledgement)
{
    SimModule sim({"--quiet"});
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.write("CLR0\r"));
    EXPECT_TRUE(console.readChunksFor(300).isEmpty());
    EXPECT_EQ(console.ask("VER\r"), "ver 1.00\r");
    EXPECT_EQ(console.ask("STT\r"), "stt 0\r");
    // A refused command's "?" is left out as well.
    ASSERT_TRUE(console.write("BAD\r"));
    EXPECT_TRUE(console.readChunksFor(300).isEmpty());
    EXPECT_EQ(console.ask("STT\r"), "stt-1\r");
    ASSERT_TRUE(sim.waitUntil([&] { return sim.sent().endsWith("stt-1\r"); }, 2000));
    EXPECT_EQ(sim.sent(), "ver 1.00\rstt 0\rstt-1\r");
}

TEST(SimTerminal, SplitWritesEachAnswerInTwoPartsAboutFortyMillisecondsApart)
{
    SimModule sim({"--split"});
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.write("VER\r"));
    EXPECT_EQ(console.readUntil("\r", 2000), "ver 1.00\r");
    ASSERT_TRUE(sim.waitUntil([&] { return sim.sent() == "ver 1.00\r"; }, 2000));

    const QList<SimLogRecord> out = recordsOf(sim.log(), false);
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0].bytes, "ver ");
    EXPECT_EQ(out[1].bytes, "1.00\r");
    EXPECT_GE(out[1].seconds - out[0].seconds, 0.030);
    EXPECT_LT(out[1].seconds - out[0].seconds, 2.0);
}

TEST(SimTerminal, ByteRateReadsNoFasterThanTheLine)
{
    constexpr int rate = 4000;
    SimModule sim({"--byte-rate", QString::number(rate)});
    PtyClient console(sim.ptyPath());
    // 250 commands, 1,000 bytes: a quarter of a second on this line.
    const QByteArray commands = QByteArray("VER\r").repeated(250);
    ASSERT_TRUE(console.write(commands));
    EXPECT_EQ(console.readUntil(QByteArray("ver 1.00\r").repeated(250), 5000),
              QByteArray("ver 1.00\r").repeated(250));
    ASSERT_TRUE(sim.waitUntil([&] { return sim.received() == commands; }, 2000));

    const QList<SimLogRecord> in = recordsOf(sim.log(), true);
    ASSERT_GE(in.size(), 2);
    // One burst at once, the rest at the rate: no read is larger than a burst of 10 ms.
    for (const SimLogRecord &record : in)
        EXPECT_LE(record.bytes.size(), rate / 100);
    const double span = in.constLast().seconds - in.constFirst().seconds;
    EXPECT_GE(span, (commands.size() - rate / 100) / double(rate) - 0.005);
}

TEST(SimTerminal, LogRecordsEveryChunkInBothDirectionsExactly)
{
    SimModule sim;
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.write("ST"));
    ASSERT_TRUE(sim.waitForReceived("ST", 2000));
    EXPECT_EQ(console.ask("T\r"), "stt 0\r");
    const QByteArray speak = "\nMSG\x83\x41\xb1\r";
    EXPECT_EQ(console.ask(speak), ">\r");
    EXPECT_EQ(console.ask("\xff\r"), "?\r");
    EXPECT_EQ(console.ask("STT\r"), "stt-1\r");
    ASSERT_TRUE(sim.waitUntil([&] { return sim.sent().endsWith("stt-1\r"); }, 2000));

    const QList<SimLogRecord> log = sim.log();
    const QList<SimLogRecord> in = recordsOf(log, true);
    ASSERT_GE(in.size(), 2);
    EXPECT_EQ(in[0].bytes, "ST");
    EXPECT_EQ(in[1].bytes, "T\r");
    EXPECT_EQ(receivedBytes(log), "STT\r" + speak + "\xff\rSTT\r");
    EXPECT_EQ(sentBytes(log), "stt 0\r>\r?\rstt-1\r");
    for (qsizetype i = 1; i < log.size(); ++i)
        EXPECT_LE(log[i - 1].seconds, log[i].seconds);
    // The simulator speaks only when spoken to.
    EXPECT_TRUE(log[0].in);
}

TEST(SimTerminal, ConsoleMayCloseAndReopenThePort)
{
    SimModule sim;
    {
        PtyClient first(sim.ptyPath());
        EXPECT_EQ(first.ask("VER\r"), "ver 1.00\r");
    }
    // With the console's side closed the simulator must neither spin nor end.
    QTest::qWait(100);
    EXPECT_TRUE(sim.isRunning());
    PtyClient second(sim.ptyPath());
    ASSERT_TRUE(second.isOpen());
    EXPECT_EQ(second.ask("STT\r"), "stt 0\r");
}

} // namespace
