// The simulator's flood: random bytes to the console as fast as the terminal takes them, from
// the first byte it receives, for a time (--flood) or up to a byte count (--flood-bytes). Commands
// are still answered meanwhile and afterwards, and the byte log keeps one summary line a second
// instead of the random bytes.
#include "flood_source.h"
#include "pty_client.h"
#include "qt_printers.h"
#include "sim_options.h"
#include "support/sim_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

SimArguments parse(const QStringList &arguments)
{
    return parseSimArguments(QStringList{"parlino-sim"} + arguments);
}

// The OUT-FLOOD lines of a log file: their byte counts added up, and their times.
struct FloodRecords
{
    qint64 bytes = 0;
    QList<double> seconds;
};

FloodRecords readFloodRecords(const QString &logPath)
{
    FloodRecords records;
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 3 && fields[1] == "OUT-FLOOD") {
            records.seconds.append(fields[0].toDouble());
            records.bytes += fields[2].toLongLong();
        }
    }
    return records;
}

// The time of the first IN record of the log.
double firstReceived(const SimModule &sim)
{
    for (const SimLogRecord &record : sim.log()) {
        if (record.in)
            return record.seconds;
    }
    return -1;
}

// Everything that arrives until a whole quiet period passes without a byte, or the time is up.
QByteArray readUntilQuiet(PtyClient &console, int quietMs, int timeoutMs)
{
    QByteArray collected;
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < timeoutMs) {
        const QList<QByteArray> chunks = console.readChunksFor(quietMs);
        if (chunks.isEmpty())
            break;
        for (const QByteArray &chunk : chunks)
            collected += chunk;
    }
    return collected;
}

TEST(SimFloodOptions, AreReadAndOffByDefault)
{
    const SimArguments none = parse({});
    ASSERT_EQ(none.action, SimArguments::Action::Run);
    EXPECT_EQ(none.options.floodSeconds, 0);
    EXPECT_EQ(none.options.floodBytes, 0);

    const SimArguments both = parse({"--flood", "10", "--flood-bytes", "1048576"});
    ASSERT_EQ(both.action, SimArguments::Action::Run) << both.error.toStdString();
    EXPECT_EQ(both.options.floodSeconds, 10);
    EXPECT_EQ(both.options.floodBytes, 1048576);
}

class BadFloodArguments : public ::testing::TestWithParam<QStringList>
{
};

TEST_P(BadFloodArguments, AreRefusedWithAReason)
{
    const SimArguments parsed = parse(GetParam());
    EXPECT_EQ(parsed.action, SimArguments::Action::Fail);
    EXPECT_FALSE(parsed.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table,
                         BadFloodArguments,
                         ::testing::Values(QStringList{"--flood", "0"},
                                           QStringList{"--flood", "-1"},
                                           QStringList{"--flood", "1.5"},
                                           QStringList{"--flood", "abc"},
                                           QStringList{"--flood", "86401"},
                                           QStringList{"--flood"},
                                           QStringList{"--flood", "1", "--flood", "2"},
                                           QStringList{"--flood-bytes", "0"},
                                           QStringList{"--flood-bytes", "+5"},
                                           QStringList{"--flood-bytes", "1e6"},
                                           QStringList{"--flood-bytes", "99999999999999"},
                                           QStringList{"--flood-bytes"}));

TEST(SimFloodOptions, UsageNamesThem)
{
    EXPECT_TRUE(simUsage().contains("--flood SECONDS"));
    EXPECT_TRUE(simUsage().contains("--flood-bytes N"));
    EXPECT_TRUE(simUsage().contains("OUT-FLOOD"));
}

TEST(FloodSource, WithoutLimitsNeverStarts)
{
    FloodSource flood(FloodSource::Limits{});
    EXPECT_FALSE(flood.isConfigured());
    flood.start(0);
    EXPECT_FALSE(flood.isActive(0));
    EXPECT_FALSE(flood.nextWakeMicros(0).has_value());
}

TEST(FloodSource, StopsAtItsByteLimitAndReportsTheRestAtOnce)
{
    FloodSource flood(FloodSource::Limits{0, 10000});
    EXPECT_FALSE(flood.isActive(0)); // nothing before the first received byte
    flood.start(1000);
    flood.start(5000); // later chunks do not restart it
    ASSERT_TRUE(flood.isActive(1000));
    EXPECT_EQ(flood.nextBlock(4096).size(), 4096);
    flood.sent(8000);
    EXPECT_EQ(flood.nextBlock(4096).size(), 2000);
    EXPECT_FALSE(flood.takeSummary(2000).has_value()); // a second has not passed yet
    flood.sent(2000);
    EXPECT_FALSE(flood.isActive(2000));
    EXPECT_TRUE(flood.nextBlock(4096).isEmpty());
    EXPECT_EQ(flood.takeSummary(2000), 10000);
    EXPECT_FALSE(flood.takeSummary(2000).has_value());
    EXPECT_EQ(flood.totalSent(), 10000);
}

TEST(FloodSource, LastsItsTimeWithASummaryEachSecond)
{
    FloodSource flood(FloodSource::Limits{2500, 0});
    flood.start(100000);
    flood.sent(4096);
    EXPECT_TRUE(flood.isActive(100000));
    EXPECT_EQ(flood.nextWakeMicros(100000), 1100000);
    EXPECT_FALSE(flood.takeSummary(1099999).has_value());
    EXPECT_EQ(flood.takeSummary(1100000), 4096);
    EXPECT_EQ(flood.nextWakeMicros(1100000), 2600000); // nothing pending: only the end
    flood.sent(10);
    EXPECT_TRUE(flood.isActive(2599999));
    EXPECT_FALSE(flood.isActive(2600000));
    EXPECT_EQ(flood.takeSummary(2600000), 10);
    EXPECT_FALSE(flood.nextWakeMicros(2600000).has_value());
}

TEST(FloodSource, BlocksAreRandom)
{
    FloodSource flood(FloodSource::Limits{0, 1 << 20});
    flood.start(0);
    const QByteArray first = flood.nextBlock(4096);
    const QByteArray second = flood.nextBlock(4096);
    EXPECT_NE(first, second);
    EXPECT_GT(first.count('\0'), 0);
    EXPECT_LT(first.count('\0'), 100);
}

TEST(SimFlood, WaitsForTheFirstByte)
{
    SimModule sim({"--flood-bytes", "100000"});
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.isOpen());
    EXPECT_TRUE(console.readChunksFor(300).isEmpty());
}

TEST(SimFlood, BytesStopAfterTheLimitAndCommandsAreAnsweredAfterwards)
{
    constexpr qint64 limit = 1 << 20;
    SimModule sim({"--flood-bytes", QString::number(limit)});
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.isOpen());
    ASSERT_TRUE(console.write("STT\r"));
    const QByteArray flood = readUntilQuiet(console, 500, 30000);
    // The answer is due at once and goes out ahead of the flood that its command started.
    EXPECT_TRUE(flood.startsWith("stt 0\r"));
    EXPECT_EQ(flood.size(), limit + 6);

    EXPECT_EQ(console.ask("VER\r"), "ver 1.00\r");
    EXPECT_TRUE(console.readChunksFor(300).isEmpty());
    EXPECT_EQ(sim.received(), "STT\rVER\r");
    EXPECT_EQ(sim.sent(), "stt 0\rver 1.00\r");
    const FloodRecords records = readFloodRecords(sim.logPath());
    EXPECT_EQ(records.bytes, limit);
    EXPECT_GE(records.seconds.size(), 1);
}

TEST(SimFlood, LastsItsSecondsWhileCommandsAreAnswered)
{
    SimModule sim({"--flood", "1"});
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.isOpen());
    ASSERT_TRUE(console.write("STT\r"));
    QByteArray flood;
    for (const QByteArray &chunk : console.readChunksFor(300))
        flood += chunk;
    ASSERT_TRUE(console.write("VER\r"));
    flood += readUntilQuiet(console, 500, 20000);
    EXPECT_GT(flood.size(), 100000);
    EXPECT_TRUE(flood.startsWith("stt 0\r"));
    EXPECT_TRUE(flood.contains("ver 1.00\r"));

    EXPECT_EQ(console.ask("STT\r"), "stt 0\r");
    EXPECT_TRUE(console.readChunksFor(300).isEmpty());
    EXPECT_EQ(sim.received(), "STT\rVER\rSTT\r");
    // One summary a second and the last one when the second is up, not before.
    const FloodRecords records = readFloodRecords(sim.logPath());
    const double start = firstReceived(sim);
    ASSERT_FALSE(records.seconds.isEmpty());
    EXPECT_LE(records.seconds.size(), 3);
    EXPECT_GE(records.seconds.constLast(), start + 1.0 - 1e-6);
    EXPECT_LT(records.seconds.constLast(), start + 5.0);
    EXPECT_EQ(records.bytes + 6 + 9, flood.size());
}

} // namespace
