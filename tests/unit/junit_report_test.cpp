// The scripted run's JUnit report and summary line, for every way a run ends.
#include "report/junit_report.h"
#include "report/run_summary.h"
#include "support/junit_check.h"

#include <gtest/gtest.h>

namespace {

SentLine spoken(int index, double seconds, int pass = 1)
{
    return {pass, index, seconds, LineVerdict::Spoken, QString()};
}

SentLine cut(int index, const QString &cause, int pass = 1)
{
    return {pass, index, 0.5, LineVerdict::CutShort, cause};
}

RunRecord record(RunEnd end,
                 const QString &cause,
                 const QList<SentLine> &sent,
                 const QStringList &lines = {"あいう", "かきく", "さしす"},
                 int passes = 1)
{
    RunRecord run;
    run.name = QStringLiteral("module.txt");
    run.started = QDateTime(QDate(2026, 12, 8), QTime(10, 27, 56));
    run.seconds = 4.5;
    run.port = QStringLiteral("COM2");
    run.device = QStringLiteral("/dev/pts/5");
    run.lines = lines;
    for (qsizetype i = 0; i < lines.size(); ++i)
        run.lineNumbers.append(int(i + 2)); // a comment line comes first
    run.passes = passes;
    run.sent = sent;
    run.end = end;
    run.cause = cause;
    return run;
}

TEST(JUnitReport, EveryEndingOfARunIsAValidReportThatSaysWhatHappened)
{
    const QString timeOut = QStringLiteral("no idle report from the module within 5 s");
    RunRecord withVersion = record(RunEnd::Spoken, {}, {spoken(0, 0.2)}, {"VER"});
    withVersion.moduleVersion = QStringLiteral("ver 1.00");
    const struct
    {
        const char *name;
        RunRecord run;
        QList<QStringList> cases; // name, result, message of each testcase
        const char16_t *summary;
    } rows[] = {
        {"all spoken",
         record(RunEnd::Spoken, {}, {spoken(0, 0.81), spoken(1, 3.05), spoken(2, 1.32)}),
         {{"line 2: あいう", "", ""}, {"line 3: かきく", "", ""}, {"line 4: さしす", "", ""}},
         u"3 lines spoken, 0 errors; speaking time min 0.81 s, median 1.32 s, max 3.05 s"},
        {"module error",
         record(RunEnd::ModuleError,
                QStringLiteral("Error: 送信データに誤りがあります"),
                {spoken(0, 1.0), {1, 1, 0.1, LineVerdict::Failed, QStringLiteral("stt-1")}}),
         {{"line 2: あいう", "", ""},
          {"line 3: かきく", "failure", "the module answered stt-1"},
          {"line 4: さしす", "skipped", "not sent: Error: 送信データに誤りがあります"}},
         u"1 line spoken, 1 error; speaking time min 1.00 s, median 1.00 s, max 1.00 s"},
        {"time-out",
         record(RunEnd::TimedOut, timeOut, {cut(0, timeOut)}),
         {{"line 2: あいう", "error", timeOut},
          {"line 3: かきく", "skipped", "not sent: " + timeOut},
          {"line 4: さしす", "skipped", "not sent: " + timeOut}},
         u"0 lines spoken, 1 error; no speaking time"},
        {"device lost",
         record(RunEnd::PortFailed,
                QStringLiteral("COMが切断されました: gone"),
                {spoken(0, 1), spoken(1, 1), cut(2, QStringLiteral("COMが切断されました: gone"))}),
         {{"line 2: あいう", "", ""},
          {"line 3: かきく", "", ""},
          {"line 4: さしす", "error", "COMが切断されました: gone"}},
         u"2 lines spoken, 1 error; speaking time min 1.00 s, median 1.00 s, max 1.00 s"},
        {"the last bytes never left",
         record(RunEnd::PortFailed,
                QStringLiteral("the last bytes did not leave the port"),
                {spoken(0, 1), spoken(1, 1), spoken(2, 1)}),
         {{"line 2: あいう", "", ""},
          {"line 3: かきく", "", ""},
          {"line 4: さしす", "", ""},
          {"run", "error", "the last bytes did not leave the port"}},
         u"3 lines spoken, 1 error; speaking time min 1.00 s, median 1.00 s, max 1.00 s"},
        {"port does not open",
         record(RunEnd::PortFailed, QStringLiteral("COMがOPENできません: no such device"), {}, {}),
         {{"run", "error", "COMがOPENできません: no such device"}},
         u"0 lines spoken, 1 error; no speaking time"},
        {"file refused",
         record(RunEnd::Refused, QStringLiteral("m.txt line 3: expected SEL"), {}, {}),
         {{"run", "error", "m.txt line 3: expected SEL"}},
         u"0 lines spoken, 1 error; no speaking time"},
        {"not finished yet",
         record(RunEnd::Unfinished, QStringLiteral("the run has not finished"), {}, {"STT"}),
         {{"run", "error", "the run has not finished"},
          {"line 2: STT", "skipped", "not sent: the run has not finished"}},
         u"0 lines spoken, 1 error; no speaking time"},
        {"interrupted in the second pass",
         record(RunEnd::Interrupted,
                QStringLiteral("interrupted (SIGINT)"),
                {spoken(0, 1), spoken(1, 2), cut(0, QStringLiteral("interrupted (SIGINT)"), 2)},
                {"あ", "い"},
                3),
         {{"pass 1, line 2: あ", "", ""},
          {"pass 1, line 3: い", "", ""},
          {"pass 2, line 2: あ", "error", "interrupted (SIGINT)"},
          {"pass 2, line 3: い", "skipped", "not sent: interrupted (SIGINT)"},
          {"pass 3, line 2: あ", "skipped", "not sent: interrupted (SIGINT)"},
          {"pass 3, line 3: い", "skipped", "not sent: interrupted (SIGINT)"}},
         u"2 lines spoken, 1 error; speaking time min 1.00 s, median 1.50 s, max 2.00 s"},
        {"control characters and markup",
         record(RunEnd::ModuleError,
                QStringLiteral("Error"),
                {{1, 0, 0.1, LineVerdict::Failed, QStringLiteral("stt-1\x01<&>")}},
                {QStringLiteral("MSG<a> & \"b\"\x1B\\") + QChar(0xD800) + QChar(0xFFFF)}),
         {{QStringLiteral("line 2: MSG<a> & \"b\"\\x1b\\\\") + QChar(0xFFFD) + QChar(0xFFFD),
           "failure",
           "the module answered stt-1\\x01<&>"}},
         u"0 lines spoken, 1 error; no speaking time"},
        {"module version", withVersion, {{"line 2: VER", "", ""}}, u"; module ver 1.00"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray xml = junitReport(row.run);
        EXPECT_EQ(junitSchemaErrors(xml), QString()) << xml.toStdString();
        const JUnitReport report = readJUnit(xml);
        ASSERT_EQ(report.readError, QString());
        EXPECT_EQ(report.suite.value("name"), QStringLiteral("module.txt"));
        EXPECT_EQ(report.suite.value("timestamp"), QStringLiteral("2026-12-08T10:27:56"));
        EXPECT_EQ(report.suite.value("time"), QStringLiteral("4.500"));
        EXPECT_EQ(report.properties.value("port"), QStringLiteral("COM2"));
        EXPECT_EQ(report.properties.value("device"), QStringLiteral("/dev/pts/5"));
        EXPECT_EQ(report.properties.value("module version"), row.run.moduleVersion);
        QList<QStringList> cases;
        int counts[3] = {};
        for (const JUnitCase &test : report.cases) {
            cases.append({test.name, test.result, test.message});
            counts[0] += test.result == QLatin1String("failure");
            counts[1] += test.result == QLatin1String("error");
            counts[2] += test.result == QLatin1String("skipped");
        }
        EXPECT_EQ(cases, row.cases);
        EXPECT_EQ(report.suite.value("tests").toInt(), report.cases.size());
        EXPECT_EQ(report.suite.value("failures").toInt(), counts[0]);
        EXPECT_EQ(report.suite.value("errors").toInt(), counts[1]);
        EXPECT_EQ(report.suite.value("skipped").toInt(), counts[2]);
        if (row.run.sent.size() == 1 && row.run.sent[0].verdict == LineVerdict::Spoken) {
            EXPECT_EQ(report.cases[0].time, row.run.sent[0].seconds);
        }
        const QString summary = runSummary(row.run);
        EXPECT_TRUE(summary == QString::fromUtf16(row.summary)
                    || summary.endsWith(QString::fromUtf16(row.summary)))
            << summary.toStdString();
    }
}

TEST(JUnitReport, AListRepeatedManyTimesListsALimitedNumberOfUnsentLines)
{
    const RunRecord run = record(RunEnd::TimedOut, QStringLiteral("t"), {}, {"あ", "い"}, 1000000);
    const JUnitReport report = readJUnit(junitReport(run));
    // The run's error, the listed lines, and one case for the rest.
    ASSERT_EQ(report.cases.size(), 1 + maxListedSkips + 1);
    EXPECT_EQ(report.cases.last().name,
              QStringLiteral("pass 5001, line 2 and the %1 lines after it")
                  .arg(2 * 1000000 - maxListedSkips - 1));
    EXPECT_EQ(report.cases.last().result, QStringLiteral("skipped"));
}

} // namespace
