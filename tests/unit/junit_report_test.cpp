// The scripted run's JUnit report and summary line, for every way a run ends.
#include "report/junit_report.h"
#include "report/run_summary.h"
#include "support/junit_check.h"

#include <gtest/gtest.h>

namespace {

SentLine line(int index, double seconds, LineVerdict verdict = LineVerdict::Spoken, int pass = 1)
{
    return {pass, index, seconds, verdict, verdict == LineVerdict::Spoken ? "" : "why", {}, {}};
}

RunRecord record(RunEnd end,
                 const QList<SentLine> &sent,
                 const QStringList &lines = {"あ", "い", "う"},
                 int passes = 1)
{
    RunRecord run;
    run.name = QStringLiteral("module.txt");
    run.suite = QStringLiteral("module.txt on COM3");
    run.hostname = QStringLiteral("bench-2");
    run.started = QDateTime(QDate(2026, 12, 8), QTime(10, 27, 56));
    run.seconds = 4.5;
    run.device = QStringLiteral("/dev/pts/5");
    std::tie(run.lines, run.passes, run.sent, run.end) = std::tie(lines, passes, sent, end);
    run.cause = QStringLiteral("cause");
    for (qsizetype i = 0; i < lines.size(); ++i)
        run.lineNumbers.append(int(i + 2)); // a comment line comes first
    return run;
}

TEST(JUnitReport, EveryEndingOfARunIsAValidReportThatSaysWhatHappened)
{
    using V = LineVerdict;
    RunRecord version = record(RunEnd::Spoken, {line(0, 0.2)}, {"VER"});
    version.moduleVersion = QStringLiteral("ver 1.00");
    RunRecord markup = record(RunEnd::ModuleError,
                              {line(0, 0.1, V::Failed)},
                              {QStringLiteral("MSG<a> & \"b\"\x1B\\") + QChar(0xD800) + u'\uFFFF'});
    markup.sent[0].detail = QStringLiteral("stt-1\x01<&>");
    markup.sent[0].exchange = QStringLiteral("0.000\tOUT\tMSG<a>") + u'\uFFFF' + "\t4D\n";
    // The module refused the line with "?", then reported the error it latched.
    RunRecord refused = record(RunEnd::ModuleError, {line(0, 1), line(1, 1, V::Failed)});
    refused.sent[1].answer = QStringLiteral("?");
    refused.sent[1].exchange = QStringLiteral("0.000\tOUT\tSEL33\\r\t53 45 4C 33 33 0D\n"
                                              "3.104\tIN\t?\\r\t3F 0D\n");
    RunRecord killed = record(RunEnd::Unfinished, {line(0, 1), line(1, 0, V::Running)});
    killed.sent[1].exchange = QStringLiteral("0.000\tOUT\tMSGい\\r\t4D 53 47 82 A2 0D\n");
    RunRecord badLine = record(RunEnd::Refused, {});
    badLine.refusedIndex = 1;
    const struct
    {
        const char *name;
        RunRecord run;
        QStringList cases; // "name", or "name | result: message"
        const char16_t *summary;
        QString exchange = {}; // the text and output of the one case that has them
    } rows[] = {
        {"all spoken",
         record(RunEnd::Spoken, {line(0, 0.81), line(1, 3.05), line(2, 1.32)}),
         {"line 2: あ", "line 3: い", "line 4: う"},
         u"3 lines spoken, 0 errors; speaking time min 0.81 s, median 1.32 s, max 3.05 s"},
        {"module error",
         record(RunEnd::ModuleError, {line(0, 1), line(1, 1, V::Failed)}),
         {"line 2: あ",
          "line 3: い | failure: the module reported why",
          "line 4: う | skipped: not sent: cause"},
         u"1 line spoken, 1 error; speaking time min 1.00 s, median 1.00 s, max 1.00 s"},
        {"a line the module answered with ?",
         refused,
         {"line 2: あ",
          "line 3: い | failure: the module answered \"?\" to the line, then reported why",
          "line 4: う | skipped: not sent: cause"},
         u"1 line spoken, 1 error",
         refused.sent[1].exchange},
        {"time-out",
         record(RunEnd::TimedOut, {line(0, 1, V::CutShort)}),
         {"line 2: あ | error: why",
          "line 3: い | skipped: not sent: cause",
          "line 4: う | skipped: not sent: cause"},
         u"0 lines spoken, 1 error; no speaking time"},
        {"device lost",
         record(RunEnd::PortFailed, {line(0, 1), line(1, 2), line(2, 1, V::CutShort)}),
         {"line 2: あ", "line 3: い", "line 4: う | error: why"},
         u"2 lines spoken, 1 error; speaking time min 1.00 s, median 1.50 s, max 2.00 s"},
        {"killed while the second line runs",
         killed,
         {"line 2: あ", "line 3: い | error: cause", "line 4: う | skipped: not sent: cause"},
         u"1 line spoken, 1 error",
         killed.sent[1].exchange},
        {"port does not open",
         record(RunEnd::PortFailed, {}),
         {"line 2: あ | error: not sent: cause",
          "line 3: い | skipped: not sent: cause",
          "line 4: う | skipped: not sent: cause"},
         u"0 lines spoken, 1 error"},
        {"file refused at its second line",
         badLine,
         {"line 2: あ | skipped: not sent: cause",
          "line 3: い | error: cause",
          "line 4: う | skipped: not sent: cause"},
         u"0 lines spoken, 1 error"},
        {"file not read",
         record(RunEnd::Refused, {}, {}),
         {"run | error: cause"},
         u"0 lines spoken, 1 error"},
        {"not finished yet",
         record(RunEnd::Unfinished, {}, {"STT"}),
         {"line 2: STT | error: not sent: cause"},
         u"0 lines spoken, 1 error"},
        {"interrupted in the second of three passes",
         record(RunEnd::Interrupted,
                {line(0, 1), line(1, 2), line(0, 1, V::CutShort, 2)},
                {"あ", "い"},
                3),
         {"pass 1, line 2: あ",
          "pass 1, line 3: い",
          "pass 2, line 2: あ | error: why",
          "pass 2, line 3: い | skipped: not sent: cause",
          "pass 3, line 2: あ | skipped: not sent: cause",
          "pass 3, line 3: い | skipped: not sent: cause"},
         u"2 lines spoken, 1 error; speaking time min 1.00 s, median 1.50 s, max 2.00 s"},
        {"control characters and markup",
         markup,
         {QStringLiteral("line 2: MSG<a> & \"b\"\\x1b\\\\\uFFFD\uFFFD | failure: the module "
                         "reported stt-1\\x01<&>")},
         u"0 lines spoken, 1 error; no speaking time",
         QStringLiteral("0.000\tOUT\tMSG<a>\uFFFD\t4D\n")},
        {"module version", version, {"line 2: VER"}, u"; module ver 1.00"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray xml = junitReport(row.run);
        EXPECT_EQ(junitSchemaErrors(xml), QString()) << xml.toStdString();
        const JUnitReport report = readJUnit(xml);
        EXPECT_EQ(report.suite,
                  (QMap<QString, QString>{{"name", "module.txt on COM3"},
                                          {"tests", report.count("")},
                                          {"failures", report.count("failure")},
                                          {"errors", report.count("error")},
                                          {"skipped", report.count("skipped")},
                                          {"time", "4.500"},
                                          {"timestamp", "2026-12-08T10:27:56"},
                                          {"hostname", "bench-2"}}));
        EXPECT_EQ(report.properties.value("script"), QStringLiteral("module.txt"));
        EXPECT_EQ(report.properties.value("device"), QStringLiteral("/dev/pts/5"));
        EXPECT_EQ(report.properties.value("module version"), row.run.moduleVersion);
        EXPECT_EQ(report.cases, row.cases);
        EXPECT_EQ(report.classnames, QStringList(report.cases.size(), "module.txt on COM3"));
        // The line that did not pass holds its exchange, in its result and in its output.
        EXPECT_EQ(report.texts.join(QString()), row.exchange);
        EXPECT_EQ(report.outputs.join(QString()), row.exchange);
        EXPECT_EQ(report.times.value(0),
                  row.run.lines.isEmpty()  ? row.run.seconds
                  : row.run.sent.isEmpty() ? 0
                                           : row.run.sent[0].seconds);
        // Another consumer reads the same.
        const JUnitReport other = readJUnitWithJunitparser(xml);
        EXPECT_EQ(other.readError, QString());
        for (const char *attribute : {"name", "tests", "failures", "errors", "skipped", "hostname"})
            EXPECT_EQ(other.suite.value(attribute), report.suite.value(attribute)) << attribute;
        EXPECT_EQ(other.cases, report.cases);
        EXPECT_EQ(other.classnames, report.classnames);
        EXPECT_EQ(other.texts, report.texts);
        EXPECT_EQ(other.outputs, report.outputs);
        const QString summary = runSummary(row.run);
        EXPECT_TRUE(summary.startsWith(QString::fromUtf16(row.summary))
                    || summary.endsWith(QString::fromUtf16(row.summary)))
            << summary.toStdString();
    }
}

TEST(JUnitReport, AListRepeatedManyTimesListsALimitedNumberOfUnsentLines)
{
    const JUnitReport report
        = readJUnit(junitReport(record(RunEnd::TimedOut, {}, {"あ", "い"}, 1000000)));
    // The listed lines, the first of them carrying the run's error, and one case for the rest.
    ASSERT_EQ(report.cases.size(), maxListedSkips + 1);
    EXPECT_EQ(
        report.cases.last(),
        QStringLiteral("pass 5001, line 2 and the %1 lines after it | skipped: not sent: cause")
            .arg(2 * 1000000 - maxListedSkips - 1));
    EXPECT_EQ(report.cases.first(), "pass 1, line 2: あ | error: not sent: cause");
}

} // namespace

TEST(JUnitReport, AnUnfinishedReportKeepsItsBytesAndIsTheWholeReportAtEveryStep)
{
    using V = LineVerdict;
    // Lines go out, are spoken, fail, or are looked at again; the kept bytes follow.
    const struct
    {
        const char *name;
        QStringList lines;
        int passes;
        int steps;
    } rows[] = {{"a short list", {"あ", "い", "う"}, 4, 60},
                {"past the listed skips", {"あ", "い"}, 5001, 12}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        RunRecord run = record(RunEnd::Unfinished, {}, row.lines, row.passes);
        UnfinishedReport unfinished;
        std::srand(7);
        for (int step = 0; step < row.steps; ++step) {
            SCOPED_TRACE(step);
            ASSERT_EQ(unfinished.report(run).toStdString(), junitReport(run).toStdString());
            const int count = int(row.lines.size());
            SentLine next = line(0, 0, V::Running);
            if (!run.sent.isEmpty()) {
                SentLine &last = run.sent.last();
                std::tie(last.verdict, last.seconds) = std::pair(V::Spoken, 0.5 + step);
                next.index = (last.index + 1) % count;
                next.pass = last.pass + (next.index == 0);
            }
            switch (run.sent.isEmpty() ? 5 : std::rand() % 6) {
            case 0:
                run.sent.last().verdict = V::Failed;
                run.sent.last().exchange = QStringLiteral("0.000\tIN\t?\\r\t3F 0D\n");
                break;
            case 1:
                run.sent[std::rand() % run.sent.size()].detail = QStringLiteral("later");
                break;
            case 2:
                run.moduleVersion = QStringLiteral("ver %1").arg(step);
                continue;
            case 3:
                if (step % 5 == 0)
                    run.cause = QStringLiteral("cause %1").arg(step);
                break;
            }
            if (run.sent.size() < count * row.passes)
                run.sent.append(next);
        }
    }
}
