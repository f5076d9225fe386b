// Scripted runs without a window, their exit statuses and their transcript, against the
// simulated module.
#include "support/console_process.h"
#include "support/junit_check.h"
#include "support/recorders.h"
#include "support/sim_fixture.h"
#include "support/transcript_reader.h"
#include "text/cp932.h"
#include "transport/device_locks.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>

namespace {

class ScriptedRun : public ::testing::Test
{
protected:
    ScopedWorkDir work;

    void SetUp() override
    {
        work.copyData();
        work.write("two.txt", cp932::encode(u"あいう\r\nかきく\r\n"));
    }
    ConsoleResult run(SimModule &sim, QStringList arguments, const QStringList &environment = {})
    {
        arguments << QStringLiteral("--port") << QStringLiteral("2");
        return runConsole(arguments,
                          work.path(),
                          QStringList{QStringLiteral("PARLINO_COM2=") + sim.ptyPath()}
                              + environment);
    }
};

TEST_F(ScriptedRun, SpeaksEveryLineAndExitsZero)
{
    // The same text reaches the module as the same code page 932 bytes, whatever the file's
    // encoding; code page 932 words that are valid UTF-8 too keep their bytes (the module
    // then refuses the kanji: status 1). The encoding used is in the transcript and report.
    const QByteArray kana = cp932::encode(u"MSGあいう\rMSGかきく\r");
    const QByteArray shower = "MSG\xE9\x85\x89\x4A\r";
    const struct
    {
        const char *file;
        QByteArray bytes; // none: the fixture's file
        QByteArray wire;  // the lines that went out first, without the polls
        int status;
        const char *encoding;
        QStringList more = {};
    } rows[] = {
        {"two.txt", {}, kana, 0, "cp932"},
        {"utf8.txt", QStringLiteral("あいう\nかきく\n").toUtf8(), kana, 0, "utf-8"},
        {"marked.txt",
         "\xEF\xBB\xBF" + QStringLiteral("あいう\r\nかきく").toUtf8(),
         kana,
         0,
         "utf-8"},
        {"shower.txt", "\xE9\x85\x89\x4A\r\n", shower, 1, "cp932"},
        {"shower-utf8.txt", QStringLiteral("驟雨").toUtf8(), shower, 1, "utf-8"},
        {"donkey.txt", "\xE9\x86\x94\x6E", "MSG\xE9\x86\x94\x6E\r", 1, "cp932"},
        {"forced.txt", "\xE9\x85\x89\x4A", "MSG\x93\xD1J\r", 1, "utf-8", {"--encoding", "utf-8"}},
        {"type.txt", QStringLiteral("型A").toUtf8(), cp932::encode(u"MSG型A\r"), 1, "utf-8"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file);
        if (!row.bytes.isEmpty())
            work.write(row.file, row.bytes);
        QFile::remove(work.file("t.txt"));
        SimModule sim({"--char-ms", "5"}, 2);
        const ConsoleResult result
            = run(sim,
                  QStringList{"--speak", row.file, "--transcript", "t.txt", "--junit", "r.xml"}
                      + row.more);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, row.status) << result.err.toStdString();
        EXPECT_EQ(sim.received().replace("STT\r", "").left(row.wire.size()).toHex(' '),
                  row.wire.toHex(' '));
        EXPECT_EQ(readJUnit(work.read("r.xml")).properties.value("encoding"), row.encoding);
        const QList<TranscriptRecord> records = readTranscript(work.read("t.txt"));
        EXPECT_TRUE(std::any_of(records.begin(), records.end(), [&](const TranscriptRecord &r) {
            return r.kind == QLatin1String("ENCODING") && r.text.startsWith(row.encoding);
        }));
        // A file that reads in both encodings is told, with the other reading and its switch.
        const QString told = QStringLiteral("%1 (it reads as ").arg(row.file);
        EXPECT_EQ(QString::fromUtf8(result.err).contains(told),
                  QList<QByteArray>({"shower.txt", "shower-utf8.txt", "donkey.txt", "type.txt"})
                      .contains(row.file))
            << result.err.toStdString();
    }
    // A scripted run leaves the saved port of the window alone.
    EXPECT_FALSE(QFile::exists(work.file("parlino_ini.txt")));
}

TEST_F(ScriptedRun, RepeatSpeaksTheListThatManyTimes)
{
    SimModule sim({"--char-ms", "0"}, 2);
    const ConsoleResult result = run(sim, {"--speak", "two.txt", "--repeat", "3"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(sim.received().count(cp932::encode(u"MSGあいう\r")), 3);
    EXPECT_EQ(sim.received().count(cp932::encode(u"MSGかきく\r")), 3);
}

TEST_F(ScriptedRun, ExitStatusesTellWhatHappened)
{
    work.write("bad.txt", "abc\r\n");
    work.write("empty.txt", "");
    work.write("garbled.txt", "\x82\xA0\r\n\x82\r\n");
    work.write("emoji.txt", QStringLiteral("あ\nい\U0001F600\n").toUtf8());
    work.write("long.txt", cp932::encode(QStringLiteral("あ").repeated(12000)));
    work.write("bad-script.txt", "STT\nSEL1\n");
    work.write("cafe.txt", "caf\xC3\xA9\n");
    work.write("both.txt", "\xE4\xBA\x82\xE9\x82\xA8");
    work.write("donkey.txt", "\xE9\x86\x94\x6E\r\n");
    work.write("eight.txt", cp932::encode(QStringLiteral("あいう\r\n").repeated(8)));
    work.write("thirty.txt", cp932::encode(QStringLiteral("あいう\r\n").repeated(30)));
    const QString noDevice = QStringLiteral("PARLINO_COM2=/dev/parlino-none");
    const struct
    {
        const char *name;
        QStringList simArguments;
        QStringList arguments;
        QStringList environment;
        int status;
        const char16_t *stderrSays;
    } cases[] = {
        {"module reports an error",
         {"--char-ms", "0"},
         {"--speak", "bad.txt"},
         {},
         1,
         u"Error: 送信データに誤りがあります"},
        {"missing device",
         {},
         {"--speak", "two.txt"},
         {"PARLINO_COM2=/dev/parlino-none"},
         2,
         u"COMがOPENできません: /dev/parlino-none: no such device"},
        {"module stuck in error",
         {"--char-ms", "0", "--no-idle", "--busy-status", "stt-1"},
         {"--speak", "two.txt", "--timeout", "1"},
         {},
         1,
         u"the module reported an error and did not come back to idle within 1 s"},
        // 24 kB at 3,840 bytes a second: the time-out counts once the port has drained.
        {"a long line on a slow line",
         {"--char-ms", "0", "--byte-rate", "3840"},
         {"--speak", "long.txt", "--timeout", "4"},
         {},
         0,
         u""},
        {"silent module",
         {"--silent"},
         {"--speak", "two.txt", "--timeout", "1"},
         {},
         3,
         u"the module did not answer within 1 s"},
        {"module stuck busy",
         {"--no-idle"},
         {"--speak", "two.txt", "--timeout", "1"},
         {},
         3,
         u"the module stayed busy: no idle report within 1 s, its last status stt 1"},
        {"a line answered ? without a latched error",
         {"--char-ms", "0", "--no-latch"},
         {"--speak", "bad.txt"},
         {},
         1,
         u"the module answered ? to line 1: MSGabc"},
        // Lost status costs a time-out of its line, never more with each line.
        {"every other status lost over 8 lines",
         {"--char-ms", "20", "--lose-every", "2"},
         {"--speak", "eight.txt", "--timeout", "10"},
         {},
         0,
         u""},
        {"a tenth of the status lost over 30 lines",
         {"--char-ms", "10", "--lose-percent", "10"},
         {"--speak", "thirty.txt", "--timeout", "10"},
         {},
         0,
         u""},
        {"status sent unasked behind 300 ms",
         {"--char-ms", "40", "--unasked-status", "100", "--reply-delay", "300"},
         {"--speak", "two.txt", "--timeout", "5"},
         {},
         0,
         u"問い合わせのない状態を送っています"},
        {"replies trickled a byte every 300 ms",
         {"--char-ms", "0", "--trickle", "300"},
         {"--speak", "two.txt", "--timeout", "10"},
         {},
         0,
         u""},
        {"replies in pieces", {"--split"}, {"--speak", "two.txt", "--timeout", "5"}, {}, 0, u""},
        // A refusal comes before the port is opened: a missing device does not change it.
        {"unreadable file", {}, {"--speak", "none.txt"}, {noDevice}, 64, u"File Error: "},
        {"a file in neither encoding",
         {},
         {"--speak", "garbled.txt"},
         {},
         64,
         u"File Error: ファイルを読み込めません garbled.txt 2行目"},
        {"both readings text", {}, {"--speak", "both.txt"}, {}, 1, u"code page 932 was taken"},
        {"a character code page 932 lacks",
         {},
         {"--speak", "emoji.txt"},
         {noDevice},
         64,
         u"Error: 送信データにシフトJISで送れない文字があります 2行目: \U0001F600 (U+1F600)"},
        // Read as UTF-8, as written: the refusal names a character the file holds.
        {"UTF-8 without a mark",
         {},
         {"--speak", "cafe.txt"},
         {},
         64,
         u"送信データにシフトJISで送れない文字があります 1行目: é (U+00E9)"},
        {"code page 932 forced to UTF-8",
         {},
         {"--speak", "donkey.txt", "--encoding", "utf-8"},
         {},
         64,
         u"1行目: \u9194 (U+9194)"},
        {"a transcript that cannot be written",
         {"--char-ms", "0"},
         {"--speak", "two.txt", "--transcript", "/dev/full"},
         {},
         0,
         u"the transcript /dev/full is incomplete"},
        {"a script line that is no command",
         {},
         {"--script", "bad-script.txt"},
         {noDevice},
         64,
         u"bad-script.txt line 2: expected SEL and a slot of two digits, as SEL01, not \"SEL1\""},
        {"a report that cannot be written",
         {},
         {"--speak", "two.txt", "--junit", "none/r.xml"},
         {noDevice},
         64,
         u"cannot write the JUnit report none/r.xml"},
        {"a report over its own script",
         {},
         {"--speak", "two.txt", "--junit", "./two.txt"},
         {},
         64,
         u"--junit ./two.txt would overwrite two.txt"},
        {"file with nothing to speak",
         {},
         {"--speak", "empty.txt"},
         {noDevice},
         64,
         u"empty.txt: nothing to speak"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SimModule sim(c.simArguments, 2);
        const ConsoleResult result = run(sim, c.arguments, c.environment);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, c.status);
        // Each message once, and every run, refusals included, ends with its summary.
        const QString err = QString::fromUtf8(result.err);
        if (*c.stderrSays) {
            EXPECT_EQ(err.count(QString::fromUtf16(c.stderrSays)), 1) << result.err.toStdString();
        }
        EXPECT_TRUE(
            err.contains(QRegularExpression("parlino: \\d+ lines? spoken, \\d+ errors?[^\n]*\n$")))
            << result.err.toStdString();
    }
}

TEST_F(ScriptedRun, SuccessMeansTheModuleReadTheLastByteAndReportedIdleAfterIt)
{
    // A line of 40 kB on a line that carries 20 kB a second.
    const QString kana = QStringLiteral("あ").repeated(20000);
    work.write("long.txt", cp932::encode(kana));
    SimModule sim({"--char-ms", "0", "--byte-rate", "20000"}, 2);
    const ConsoleResult result = run(sim, {"--speak", "long.txt"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray received = sim.received();
    EXPECT_TRUE(received.contains(cp932::encode(QStringLiteral("MSG") + kana + u'\r')));
    EXPECT_TRUE(received.endsWith("STT\r"));
}

TEST_F(ScriptedRun, TheVoicedModuleSpeaksOneLineAtATime)
{
    work.write("three.txt", cp932::encode(u"あいうえお\r\nかきくけこ\r\nさしすせそ\r\n"));
    SimModule sim({"--wav", work.file("speech")}, 2);
    const ConsoleResult result = run(sim, {"--speak", "three.txt"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    // "<seconds> AUDIO <number> <start> <length>": each sound starts after the one before
    // has ended, and none was cut short.
    QFile log(sim.logPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    double endOfLast = 0;
    int sounds = 0;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        EXPECT_NE(fields.value(1), "AUDIO-CUT");
        if (fields.size() != 5 || fields[1] != "AUDIO")
            continue;
        ++sounds;
        EXPECT_GE(fields[3].toDouble(), endOfLast) << line.toStdString();
        endOfLast = fields[3].toDouble() + fields[4].toDouble();
    }
    EXPECT_EQ(sounds, 3);
}

TEST_F(ScriptedRun, ASignalClosesThePortAndEndsWithTheShellsStatus)
{
    const struct
    {
        int signalNumber;
        int status;
        const char *cause;
    } rows[] = {{SIGTERM, 143, "terminated (SIGTERM)"}, {SIGINT, 130, "interrupted (SIGINT)"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.signalNumber);
        QFile::remove(work.file("t.txt"));
        SimModule sim({"--char-ms", "200"}, 2);
        const ConsoleResult result = runConsole(
            {"--speak", "two.txt", "--port", "2", "--transcript", "t.txt", "--junit", "r.xml"},
            work.path(),
            {QStringLiteral("PARLINO_COM2=") + sim.ptyPath()},
            10000,
            [&](qint64 pid) {
                sim.waitForReceived("MSG", 5000);
                ::kill(pid_t(pid), row.signalNumber);
            });
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, row.status);
        EXPECT_EQ(result.err.count("interrupted: the run ends here"), 1)
            << result.err.toStdString();
        const QList<TranscriptRecord> records = readTranscript(work.read("t.txt"));
        ASSERT_FALSE(records.isEmpty());
        EXPECT_EQ(records.last().kind, QStringLiteral("CLOSE"));
        // The line being spoken is cut short, the next one never sent.
        const JUnitReport report = readJUnit(work.read("r.xml"));
        EXPECT_EQ(
            report.cases,
            QStringList({QStringLiteral("line 1: あいう | error: ") + row.cause,
                         QStringLiteral("line 2: かきく | skipped: not sent: ") + row.cause}));
        // The line cut short holds its exchange from the moment it went out.
        EXPECT_TRUE(report.texts.value(0).startsWith(
            QStringLiteral("0.000\tOUT\tMSGあいう\\r\t4D 53 47 82 A0 82 A2 82 A4 0D\n")))
            << report.texts.value(0).toStdString();
        for (const QString &folder : portLockFolders())
            EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/LCK..")
                                       + QFileInfo(sim.ptyPath()).fileName()));
    }
}

TEST_F(ScriptedRun, AScriptSendsEachCommandAsWrittenAndItsReportReadsBack)
{
    work.write("module.txt",
               QStringLiteral("# commands\nVER\nSPD150\nSSD01\n\nEEP01あいう\nSEL01\n"
                              "MSGかきく\nCLR0\n")
                   .toUtf8());
    // Slot 5 holds nothing: the module answers SEL05 with an error.
    work.write("faulty.txt", cp932::encode(u"MSGあ\r\nSEL05\r\nMSGい\r\n"));
    const struct
    {
        const char *script;
        int status;
        const char16_t *wire; // without the polls
        QStringList cases;
        const char *summary;
    } rows[] = {
        {"module.txt",
         0,
         u"VER\rSPD150\rSSD01\rEEP01あいう\rSEL01\rMSGかきく\rCLR0\r",
         {"line 2: VER",
          "line 3: SPD150",
          "line 4: SSD01",
          "line 6: EEP01あいう",
          "line 7: SEL01",
          "line 8: MSGかきく",
          "line 9: CLR0"},
         "(^|\n)parlino: 7 lines spoken, 0 errors; speaking time min [0-9.]+ s, median [0-9.]+ s, "
         "max "
         "[0-9.]+ s; module ver 1.00\n$"},
        {"faulty.txt",
         1,
         u"MSGあ\rSEL05\rCLR0\r",
         {"line 1: MSGあ",
          "line 2: SEL05 | failure: the module answered \"?\" to the line, then reported stt-1",
          "line 3: MSGい | skipped: not sent: Error: 送信データに誤りがあります: the module "
          "reported "
          "stt-1 after line 2 \"SEL05\""},
         "(^|\n)parlino: 1 line spoken, 1 error; speaking time min [0-9.]+ s, median"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.script);
        SimModule sim({"--char-ms", "5"}, 2);
        const ConsoleResult result = run(sim, {"--script", row.script, "--junit", "r.xml"});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, row.status) << result.err.toStdString();
        EXPECT_EQ(sim.received().replace("STT\r", ""), cp932::encode(QString::fromUtf16(row.wire)));
        EXPECT_TRUE(QString::fromUtf8(result.err).contains(QRegularExpression(row.summary)))
            << result.err.toStdString();
        const QByteArray xml = work.read("r.xml");
        EXPECT_EQ(junitSchemaErrors(xml), QString());
        const JUnitReport report = readJUnit(xml);
        EXPECT_EQ(report.cases, row.cases) << report.cases.join(u'\n').toStdString();
        EXPECT_GT(report.times.value(0), 0);
        EXPECT_EQ(report.properties.value("device"), sim.ptyPath());
        EXPECT_EQ(report.properties.value("module version"), row.status ? "" : "ver 1.00");
        EXPECT_FALSE(report.suite.value("hostname").isEmpty());
        // The failing line's exchange: the line, the module's "?", the error it reported.
        const QString exchange = report.texts.value(1);
        EXPECT_EQ(report.outputs.value(1), exchange);
        EXPECT_TRUE(
            !row.status
            || exchange.contains(QRegularExpression(
                "^0\\.000\tOUT\tSEL05\\\\r\t53 45 4C 30 35 0D\n[0-9.]+\tIN\t\\?\\\\r\t3F 0D\n"
                "[\\s\\S]*\tIN\tstt-1\\\\r\t")))
            << exchange.toStdString();
    }
}

TEST_F(ScriptedRun, EveryEndingListsEveryLineAndEachPortHasItsSuite)
{
    work.write("three.txt", "MSG\x82\xA0\r\nSPD150\r\nCLR0\r\n");
    work.write("refused.txt", "MSG\x82\xA0\r\nSEL1\r\nCLR0\r\n");
    const struct
    {
        QStringList sim;
        QStringList arguments;
        const char *suite;
        const char *results; // each case's result, as "result: message" begins; "" passed
    } rows[] = {
        {{"--char-ms", "5"}, {"three.txt", "--port", "2"}, "three.txt on COM2", "||"},
        {{"--char-ms", "5"}, {"three.txt", "--port", "3", "--junit-suite", "B"}, "B", "||"},
        {{"--char-ms", "3000"},
         {"three.txt", "--port", "2", "--timeout", "1"},
         "three.txt on COM2",
         "error: the module stayed busy|skipped: not sent: the module stayed|skipped: not "
         "sent: the module stayed"},
        {{},
         {"three.txt", "--port", "9"},
         "three.txt on COM9",
         "error: not sent: COMがOPENできません|skipped: not sent: COM|skipped: not sent: COM"},
        {{},
         {"refused.txt", "--port", "2"},
         "refused.txt on COM2",
         "skipped: not sent: refused.txt line 2|error: refused.txt line 2|skipped: not sent"},
        {{},
         {"three.txt", "--port", "2", "--transcript", "none/t.txt"},
         "three.txt on COM2",
         "error: not sent: cannot write the transcript|skipped: not sent|skipped: not sent"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        QFile::remove(work.file("r.xml"));
        SimModule sim(row.sim, 2);
        const ConsoleResult result
            = runConsole(QStringList{"--script"} + row.arguments + QStringList{"--junit", "r.xml"},
                         work.path(),
                         {"PARLINO_COM2=" + sim.ptyPath(),
                          "PARLINO_COM3=" + sim.ptyPath(),
                          "PARLINO_COM9=/dev/parlino-none"});
        ASSERT_TRUE(result.finished);
        const JUnitReport report = readJUnitWithJunitparser(work.read("r.xml"));
        EXPECT_EQ(report.suite.value("name"), QString::fromUtf8(row.suite));
        EXPECT_EQ(report.classnames, QStringList(3, QString::fromUtf8(row.suite)));
        const QStringList results = QString::fromUtf8(row.results).split(u'|');
        ASSERT_EQ(report.cases.size(), results.size()) << report.cases.join(u'\n').toStdString();
        for (qsizetype i = 0; i < results.size(); ++i) {
            const QString said = report.cases[i].section(QStringLiteral(" | "), 1);
            EXPECT_TRUE(results[i].isEmpty() ? said.isEmpty() : said.startsWith(results[i]))
                << report.cases[i].toStdString();
        }
    }
}

TEST_F(ScriptedRun, AKilledRunLeavesAReportRightUpToTheLastLineSent)
{
    work.write("three.txt", cp932::encode(u"あいう\r\nかきく\r\nさしす\r\n"));
    // Each line speaks for 2.4 s: longer than the report may lag behind the run.
    SimModule sim({"--char-ms", "800"}, 2);
    const ConsoleResult result = runConsole(
        {"--speak", "three.txt", "--port", "2", "--junit", "r.xml"},
        work.path(),
        {QStringLiteral("PARLINO_COM2=") + sim.ptyPath()},
        20000,
        [&](qint64 pid) {
            // Killed while the second line is spoken, once the report has it.
            sim.waitForReceived(cp932::encode(u"MSGかきく\r"), 10000);
            sim.waitUntil(
                [&] { return readJUnit(work.read("r.xml")).cases.value(1).contains("error"); },
                2400);
            ::kill(pid_t(pid), SIGKILL);
        });
    ASSERT_TRUE(result.finished);
    const QByteArray xml = work.read("r.xml");
    EXPECT_EQ(junitSchemaErrors(xml), QString());
    const JUnitReport report = readJUnit(xml);
    EXPECT_EQ(report.cases,
              QStringList({"line 1: あいう",
                           "line 2: かきく | error: the run has not finished",
                           "line 3: さしす | skipped: not sent: the run has not finished"}));
    EXPECT_TRUE(report.texts.value(1).startsWith(QStringLiteral("0.000\tOUT\tMSGかきく\\r\t")));
}

TEST_F(ScriptedRun, BadArgumentsExitWithUsage)
{
    for (const QStringList &arguments :
         {QStringList{"--speak", "two.txt"},
          QStringList{"--port", "2"},
          QStringList{"--speak", "two.txt", "--port", "0"},
          QStringList{"--speak", "two.txt", "--port", "2", "--repeat", "x"},
          QStringList{"--bogus"},
          QStringList{"--speak"}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const ConsoleResult result = runConsole(arguments, work.path(), {"XDG_RUNTIME_DIR="});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 64);
        // The cause and a pointer to the help, not the whole help scrolling it away.
        EXPECT_LE(result.err.count('\n'), 3) << result.err.toStdString();
        EXPECT_TRUE(result.err.startsWith("parlino: ")) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("--help")) << result.err.toStdString();
    }
    // A run that starts Qt says nothing of the runtime folder either.
    const ConsoleResult refused
        = runConsole({"--speak", "none.txt", "--port", "1"}, work.path(), {"XDG_RUNTIME_DIR="});
    ASSERT_TRUE(refused.finished);
    EXPECT_FALSE(refused.err.contains("XDG_RUNTIME_DIR")) << refused.err.toStdString();
}

TEST_F(ScriptedRun, TranscriptHoldsEveryByteOfBothDirectionsInOrder)
{
    // Replies in pieces, or late, even past the poll time-out, still give one SPOKEN record
    // a line, no shorter than the module's speaking time (3 characters a line).
    const struct
    {
        int charMs;
        QStringList module;
    } modules[] = {{5, {}},
                   {5, {"--split"}},
                   {100, {"--reply-delay", "250"}},
                   {300, {"--reply-delay", "1200"}},
                   {100, {"--reply-delay", "2500"}},
                   {100, {"--reply-jitter", "0-1500"}}};
    for (const auto &[charMs, module] : modules) {
        SCOPED_TRACE(module.join(u' ').toStdString());
        QFile::remove(work.file("transcript.txt"));
        SimModule sim(QStringList{"--char-ms", QString::number(charMs)} + module, 2);
        const ConsoleResult result
            = run(sim,
                  {"--speak", "two.txt"},
                  {QStringLiteral("PARLINO_TRANSCRIPT=") + work.file("transcript.txt")});
        ASSERT_TRUE(result.finished);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QList<TranscriptRecord> records = readTranscript(work.read("transcript.txt"));
        ASSERT_FALSE(records.isEmpty());
        EXPECT_EQ(records.first().kind, QStringLiteral("OPEN"));
        EXPECT_EQ(records.first().text, sim.ptyPath());
        EXPECT_EQ(records.last().kind, QStringLiteral("CLOSE"));
        QByteArray out;
        QByteArray in;
        int spoken = 0;
        double previous = 0;
        for (const TranscriptRecord &record : records) {
            EXPECT_GE(record.ms, previous);
            previous = record.ms;
            if (record.kind == QLatin1String("OUT"))
                out += record.bytes;
            else if (record.kind == QLatin1String("IN"))
                in += record.bytes;
            else if (record.kind == QLatin1String("UNSOLICITED"))
                ADD_FAILURE() << "a status reply that answered no poll";
            else if (record.kind == QLatin1String("SPOKEN")) {
                ++spoken;
                EXPECT_GE(record.text.section(u' ', 0, 0).toDouble(), 3 * charMs)
                    << record.text.toStdString();
            }
        }
        // Every byte the module's own log saw, in the same order. A late module may still
        // answer polls after the run has closed the port: those bytes reach no one.
        EXPECT_EQ(out, sim.received());
        const bool late = module.contains(u"--reply-delay") || module.contains(u"--reply-jitter");
        if (late)
            EXPECT_TRUE(sim.sent().startsWith(in)) << in.toHex(' ').toStdString();
        else
            EXPECT_EQ(in, sim.sent());
        EXPECT_EQ(spoken, 2);
        // The text is shown with its control characters made visible.
        bool sawLine = false;
        for (const TranscriptRecord &record : records)
            sawLine = sawLine || record.text == QStringLiteral("MSGあいう\\r");
        EXPECT_TRUE(sawLine);
    }
}

TEST_F(ScriptedRun, ANumberedDeviceReachedThroughItsByIdLinkGetsTheBytes)
{
    qunsetenv("PARLINO_COM3");
    SimModule sim({"--char-ms", "5"}, 9);
    const QString byId = work.file("by-id");
    const QString link = byId + QStringLiteral("/usb-Maker_Adapter_A10K-if00-port0");
    ASSERT_TRUE(QDir().mkpath(byId) && QFile::link(sim.ptyPath(), link));
    // The numbers are the user's: listed from the home folder, used from a project folder.
    const QString userFile = work.file("data/parlino/parlino_ports.txt");
    const QStringList environment{QStringLiteral("PARLINO_SERIAL_BY_ID=") + byId,
                                  QStringLiteral("PARLINO_PORTS_FILE="),
                                  QStringLiteral("XDG_DATA_HOME=") + work.file("data")};
    ASSERT_TRUE(QDir().mkpath(work.file("home")));
    const ConsoleResult listing = runConsole({"--list-ports"}, work.file("home"), environment);
    EXPECT_TRUE(QString::fromUtf8(listing.out).section(u'\n', 0, 0).endsWith(u' ' + userFile));
    EXPECT_TRUE(QString::fromUtf8(listing.out)
                    .contains(QStringLiteral("COM3\t%1 (parlino_ports.txt)\tpresent").arg(link)))
        << listing.out.toStdString();
    const ConsoleResult result
        = runConsole({"--speak", "two.txt", "--port", "COM3"}, work.path(), environment);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(sim.received().replace("STT\r", ""), cp932::encode(u"MSGあいう\rMSGかきく\r"));
    EXPECT_EQ(work.read("data/parlino/parlino_ports.txt"),
              (QStringLiteral("COM3=") + link + u'\n').toUtf8());
    EXPECT_FALSE(QFile::exists(work.file("parlino_ports.txt")));
    EXPECT_FALSE(QFile::exists(work.file("home/parlino_ports.txt")));
}

TEST_F(ScriptedRun, TranscriptRecordsAFailedOpen)
{
    const ConsoleResult result
        = runConsole({"--speak", "two.txt", "--port", "7", "--transcript", "t.txt"},
                     work.path(),
                     {"PARLINO_COM7=/dev/parlino-none"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 2);
    const QList<TranscriptRecord> records = readTranscript(work.read("t.txt"));
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].kind, QStringLiteral("OPEN-FAILED"));
    EXPECT_TRUE(records[0].text.contains(QStringLiteral("no such device")));
}

TEST(ListPorts, ShowsWhereEachNameLeads)
{
    ScopedWorkDir work;
    SimModule sim({}, 2);
    work.write("plain", "");
    ASSERT_EQ(::mkfifo(QFile::encodeName(work.file("fifo")).constData(), 0600), 0);
    const ConsoleResult result = runConsole({"--list-ports"},
                                            work.path(),
                                            {QStringLiteral("PARLINO_COM2=") + sim.ptyPath(),
                                             "PARLINO_COM3=/dev/parlino-none",
                                             "PARLINO_COM4=/dev/zero",
                                             "PARLINO_COM5=" + work.file("plain"),
                                             "PARLINO_COM6=" + work.file("fifo"),
                                             "PARLINO_COM1="});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    const QString out = QString::fromUtf8(result.out);
    // The ports file that PARLINO_PORTS_FILE names comes first.
    EXPECT_TRUE(out.startsWith(QStringLiteral("COM numbers of the devices seen so far: ")
                               + work.file("parlino_ports.txt") + u'\n'));
    EXPECT_TRUE(out.contains(QStringLiteral("COM2\t%1 (PARLINO_COM2)\tpresent").arg(sim.ptyPath())))
        << result.out.toStdString();
    EXPECT_TRUE(
        out.contains(QStringLiteral("COM3\t/dev/parlino-none (PARLINO_COM3)\tnot present")));
    for (const QString &notSerial :
         {QStringLiteral("/dev/zero"), work.file("plain"), work.file("fifo")})
        EXPECT_TRUE(out.contains(notSerial + QStringLiteral(" (PARLINO_COM")));
    EXPECT_EQ(out.count(QStringLiteral("not a serial device")), 3);
    EXPECT_TRUE(
        out.contains(QStringLiteral("COM1\t/dev/ttyS0 (PARLINO_COM1 is empty and ignored)")));
    EXPECT_TRUE(out.contains(QStringLiteral("COM16\t")));
    EXPECT_TRUE(out.contains(QStringLiteral("Serial devices of this system:")));
}

} // namespace
