#include "report/junit_report.h"

#include "link/transcript.h"

#include <QXmlStreamWriter>

#include <algorithm>

namespace {

QString seconds(double value)
{
    return QString::number(value, 'f', 3);
}

QString caseName(const RunRecord &record, int pass, qsizetype index)
{
    const QString line = QStringLiteral("line %1: %2")
                             .arg(record.lineNumbers.value(index, int(index + 1)))
                             .arg(record.lines.value(index));
    return record.passes > 1 ? QStringLiteral("pass %1, %2").arg(pass).arg(line) : line;
}

QString errorType(RunEnd end)
{
    switch (end) {
    case RunEnd::TimedOut:
        return QStringLiteral("time-out");
    case RunEnd::PortFailed:
        return QStringLiteral("port");
    case RunEnd::Interrupted:
        return QStringLiteral("interrupted");
    case RunEnd::Refused:
        return QStringLiteral("refused");
    case RunEnd::ModuleError:
        return QStringLiteral("module error");
    case RunEnd::Unfinished:
        return QStringLiteral("unfinished");
    case RunEnd::Spoken:
        break;
    }
    return QString();
}

struct TestCase
{
    QString name;
    double seconds = 0;
    enum { Passed, Failure, Error, Skipped } kind = Passed;
    QString type;
    QString message;
    QString exchange; // the line's traffic, for the result's text and the case's output
};

QString failureMessage(const SentLine &line)
{
    if (line.answer.isEmpty())
        return QStringLiteral("the module reported ") + line.detail;
    return QStringLiteral("the module answered \"%1\" to the line, then reported %2")
        .arg(line.answer, line.detail);
}

TestCase sentCase(const RunRecord &record, const SentLine &line)
{
    TestCase test;
    test.name = caseName(record, line.pass, line.index);
    test.seconds = line.seconds;
    switch (line.verdict) {
    case LineVerdict::Spoken:
        return test;
    case LineVerdict::Failed:
        test.kind = TestCase::Failure;
        test.type = QStringLiteral("module error");
        test.message = failureMessage(line);
        break;
    case LineVerdict::CutShort:
        test.kind = TestCase::Error;
        test.type = errorType(record.end);
        test.message = line.detail;
        break;
    case LineVerdict::Running:
        test.kind = TestCase::Error;
        test.type = errorType(RunEnd::Unfinished);
        test.message = record.cause;
        break;
    }
    test.exchange = line.exchange;
    return test;
}

// One case for every line of the list in every pass, however the run ended: the lines sent
// pass or fail, the rest are skipped. A run that failed where no line shows it (the port did
// not open, the file was refused, it has not finished) has the error on the line it stopped
// at: the refused line, the next line to go out, or the last one sent.
QList<TestCase> testCases(const RunRecord &record)
{
    QList<TestCase> cases;
    for (const SentLine &line : record.sent)
        cases.append(sentCase(record, line));
    const bool endShown = record.end == RunEnd::Spoken
                          || std::any_of(cases.cbegin(), cases.cend(), [](const TestCase &test) {
                                 return test.kind != TestCase::Passed;
                             });
    const qsizetype firstUnsent = cases.size();

    const qsizetype count = record.lines.size();
    int pass = record.sent.isEmpty() ? 1 : record.sent.last().pass;
    qsizetype index = record.sent.isEmpty() ? 0 : record.sent.last().index + 1;
    const qsizetype unsent = count == 0 ? 0 : count * (record.passes - pass) + (count - index);
    const QString why = record.end == RunEnd::Spoken ? QStringLiteral("not sent")
                                                     : QStringLiteral("not sent: ") + record.cause;
    for (qsizetype listed = 0; listed < unsent; ++listed, ++index) {
        if (index == count) {
            index = 0;
            ++pass;
        }
        if (listed == maxListedSkips) {
            cases.append({QStringLiteral("pass %1, line %2 and the %3 lines after it")
                              .arg(pass)
                              .arg(record.lineNumbers.value(index))
                              .arg(unsent - listed - 1),
                          0,
                          TestCase::Skipped,
                          QString(),
                          why,
                          QString()});
            break;
        }
        cases.append(
            {caseName(record, pass, index), 0, TestCase::Skipped, QString(), why, QString()});
    }

    if (endShown)
        return cases;
    if (cases.isEmpty()) {
        // Nothing is known of the lines (a file that could not be read): CI still sees why.
        cases.append({QStringLiteral("run"),
                      record.seconds,
                      TestCase::Error,
                      errorType(record.end),
                      record.cause,
                      QString()});
        return cases;
    }
    const bool refused = record.end == RunEnd::Refused && record.refusedIndex >= 0
                         && record.refusedIndex < cases.size();
    const qsizetype blamed = refused                      ? record.refusedIndex
                             : firstUnsent < cases.size() ? firstUnsent
                                                          : cases.size() - 1;
    TestCase &test = cases[blamed];
    test.message = refused || test.kind == TestCase::Passed ? record.cause : test.message;
    test.kind = TestCase::Error;
    test.type = errorType(record.end);
    // Failed before any line went out: what it waited on, and for how long.
    if (record.sent.isEmpty() && test.exchange.isEmpty()) {
        test.exchange = record.waitExchange;
        test.seconds = record.waitSeconds;
    }
    return cases;
}

// Characters XML 1.0 cannot hold at all become U+FFFD.
QString xmlSafe(QString shown)
{
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown[i];
        const bool pair
            = c.isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate();
        if (pair)
            ++i;
        else if (c.isSurrogate() || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace

QString reportText(const QString &text)
{
    return xmlSafe(visibleText(text));
}

QByteArray junitReport(const RunRecord &record)
{
    const QList<TestCase> cases = testCases(record);
    const auto count = [&cases](auto kind) {
        return QString::number(std::count_if(
            cases.begin(), cases.end(), [kind](const TestCase &c) { return c.kind == kind; }));
    };

    QByteArray xml;
    QXmlStreamWriter out(&xml);
    out.setAutoFormatting(true);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("testsuite"));
    const QString suite = reportText(record.suite.isEmpty() ? record.name : record.suite);
    out.writeAttribute(QStringLiteral("name"), suite);
    out.writeAttribute(QStringLiteral("tests"), QString::number(cases.size()));
    out.writeAttribute(QStringLiteral("failures"), count(TestCase::Failure));
    out.writeAttribute(QStringLiteral("errors"), count(TestCase::Error));
    out.writeAttribute(QStringLiteral("skipped"), count(TestCase::Skipped));
    out.writeAttribute(QStringLiteral("time"), seconds(record.seconds));
    out.writeAttribute(QStringLiteral("timestamp"),
                       record.started.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    if (!record.hostname.isEmpty())
        out.writeAttribute(QStringLiteral("hostname"), reportText(record.hostname));

    out.writeStartElement(QStringLiteral("properties"));
    const auto property = [&out](const QString &name, const QString &value) {
        if (value.isEmpty())
            return;
        out.writeEmptyElement(QStringLiteral("property"));
        out.writeAttribute(QStringLiteral("name"), name);
        out.writeAttribute(QStringLiteral("value"), reportText(value));
    };
    property(QStringLiteral("script"), record.name);
    property(QStringLiteral("port"), record.port);
    property(QStringLiteral("device"), record.device);
    property(QStringLiteral("module version"), record.moduleVersion);
    property(QStringLiteral("encoding"), record.encoding);
    out.writeEndElement();

    for (const TestCase &test : cases) {
        out.writeStartElement(QStringLiteral("testcase"));
        out.writeAttribute(QStringLiteral("name"), reportText(test.name));
        // Viewers that group by class keep the runs of two ports, or two runs, apart.
        out.writeAttribute(QStringLiteral("classname"), suite);
        out.writeAttribute(QStringLiteral("time"), seconds(test.seconds));
        if (test.kind != TestCase::Passed) {
            const QString element = test.kind == TestCase::Failure ? QStringLiteral("failure")
                                    : test.kind == TestCase::Error ? QStringLiteral("error")
                                                                   : QStringLiteral("skipped");
            out.writeStartElement(element);
            out.writeAttribute(QStringLiteral("message"), reportText(test.message));
            if (!test.type.isEmpty())
                out.writeAttribute(QStringLiteral("type"), test.type);
            if (!test.exchange.isEmpty())
                out.writeCharacters(xmlSafe(test.exchange));
            out.writeEndElement();
        }
        if (!test.exchange.isEmpty())
            out.writeTextElement(QStringLiteral("system-out"), xmlSafe(test.exchange));
        out.writeEndElement();
    }
    out.writeEndElement();
    out.writeEndDocument();
    xml += '\n';
    return xml;
}
