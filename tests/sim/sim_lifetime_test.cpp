// Starting and ending the simulator: the printed path, the link, the ways it stops, its exit
// codes, and that it sleeps while nothing happens.
#include "pty_client.h"
#include "qt_printers.h"
#include "support/sim_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct Finished
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the simulator with its standard input closed, for argument checks that end at once.
Finished runToEnd(const QStringList &arguments)
{
    QProcess process;
    process.start(PARLINO_SIM_PATH, arguments);
    process.closeWriteChannel();
    Finished result;
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the simulator did not end";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// CPU time the process has used so far, in clock ticks, from /proc.
long cpuTicks(int pid)
{
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray content = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = content.mid(content.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    return fields.size() > 12 ? fields[11].toLong() + fields[12].toLong() : -1;
}

TEST(SimLifetime, PrintsATerminalPathThatIsAPseudoTerminal)
{
    SimModule sim;
    ASSERT_TRUE(sim.ptyPath().startsWith("/dev/pts/")) << sim.ptyPath().toStdString();
    PtyClient console(sim.ptyPath());
    ASSERT_TRUE(console.isOpen());
}

TEST(SimLifetime, SetsThePortVariableWhileItRuns)
{
    const QByteArray variable = "PARLINO_COM7";
    qunsetenv(variable.constData());
    {
        SimModule sim({}, 7);
        EXPECT_EQ(qEnvironmentVariable(variable.constData()), sim.ptyPath());
    }
    EXPECT_FALSE(qEnvironmentVariableIsSet(variable.constData()));
}

TEST(SimLifetime, EndsCleanlyWhenItsInputCloses)
{
    SimModule sim;
    ASSERT_TRUE(sim.isRunning());
    sim.closeInput();
    ASSERT_TRUE(sim.waitForExit(3000));
    EXPECT_TRUE(sim.exitedNormally());
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST(SimLifetime, KeepsRunningWithItsInputFromDevNullOrClosed)
{
    // As a shell script's background job gets it, and with no standard input at all.
    for (const char *input : {"</dev/null", "<&-"}) {
        SCOPED_TRACE(input);
        QProcess process;
        process.start("sh", {"-c", QString("exec \"$0\" %1").arg(input), PARLINO_SIM_PATH});
        ASSERT_TRUE(process.waitForReadyRead(5000));
        EXPECT_TRUE(process.readLine().startsWith("/dev/pts/"));
        EXPECT_FALSE(process.waitForFinished(700));
        EXPECT_EQ(process.state(), QProcess::Running);
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(3000));
        EXPECT_EQ(process.exitCode(), 0);
    }
}

class StopSignal : public ::testing::TestWithParam<int>
{
};

TEST_P(StopSignal, EndsCleanlyAndRemovesTheLink)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("com1");
    SimModule sim({"--link", link});
    ASSERT_EQ(QFileInfo(link).symLinkTarget(), sim.ptyPath());
    sim.sendSignal(GetParam());
    ASSERT_TRUE(sim.waitForExit(3000));
    EXPECT_TRUE(sim.exitedNormally());
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(SimLifetime, LinkReachesTheSimulatorAndGoesAwayAtExit)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("module");
    {
        SimModule sim({"--link", link});
        ASSERT_EQ(QFileInfo(link).symLinkTarget(), sim.ptyPath());
        PtyClient console(link);
        EXPECT_EQ(console.ask("VER\r"), "ver 1.00\r");
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(SimLifetime, LinkReplacesAnOldLink)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("module");
    ASSERT_TRUE(QFile::link("/nonexistent/old-terminal", link));
    SimModule sim({"--link", link});
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.ptyPath());
}

TEST(SimLifetime, LinkNeverReplacesAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.txt");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const Finished result = runToEnd({"--link", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_FALSE(result.err.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
}

class BadCommandLine : public ::testing::TestWithParam<QStringList>
{
};

TEST_P(BadCommandLine, PrintsUsageToStandardErrorAndExitsWith64)
{
    const Finished result = runToEnd(GetParam());
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains("Usage: parlino-sim")) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table,
                         BadCommandLine,
                         ::testing::Values(QStringList{"--bogus"},
                                           QStringList{"--char-ms", "x"},
                                           QStringList{"--log"},
                                           QStringList{"stray"}));

TEST(SimLifetime, HelpPrintsUsageAndExitsZero)
{
    const Finished result = runToEnd({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith("Usage: parlino-sim")) << result.out.toStdString();
    EXPECT_TRUE(result.err.isEmpty());
}

TEST(SimLifetime, SleepsWhileNothingHappens)
{
    SimModule sim({"--split", "--char-ms", "10"});
    PtyClient console(sim.ptyPath());
    ASSERT_EQ(console.ask("MSG\x82\xa0\r"), ">\r");
    console.readChunksFor(100); // the split answer's rest and the end of speaking
    const long before = cpuTicks(sim.pid());
    ASSERT_GE(before, 0);
    console.readChunksFor(1000);
    const long used = cpuTicks(sim.pid()) - before;
    // A process that polls in a loop uses about the whole second; an idle one nearly nothing.
    EXPECT_LT(used, ::sysconf(_SC_CLK_TCK) / 5) << used << " ticks in one idle second";
}

} // namespace
