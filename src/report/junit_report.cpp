#include "report/junit_report.h"

#include "link/transcript.h"

#include <QXmlStreamWriter>

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
};

QList<TestCase> testCases(const RunRecord &record)
{
    QList<TestCase> cases;
    bool endShown = record.end == RunEnd::Spoken;
    for (const SentLine &line : record.sent) {
        TestCase test;
        test.name = caseName(record, line.pass, line.index);
        test.seconds = line.seconds;
        if (line.verdict == LineVerdict::Failed) {
            test.kind = TestCase::Failure;
            test.type = QStringLiteral("module error");
            test.message = QStringLiteral("the module answered ") + line.detail;
        } else if (line.verdict == LineVerdict::CutShort) {
            test.kind = TestCase::Error;
            test.type = errorType(record.end);
            test.message = line.detail;
        }
        endShown = endShown || test.kind != TestCase::Passed;
        cases.append(test);
    }
    // A run that failed where no line shows it (the port, the file, the last bytes): CI
    // still sees why.
    if (!endShown)
        cases.append({QStringLiteral("run"),
                      record.seconds,
                      TestCase::Error,
                      errorType(record.end),
                      record.cause});

    const qsizetype count = record.lines.size();
    if (count == 0)
        return cases;
    int pass = record.sent.isEmpty() ? 1 : record.sent.last().pass;
    qsizetype index = record.sent.isEmpty() ? 0 : record.sent.last().index + 1;
    const qsizetype unsent = count * (record.passes - pass) + (count - index);
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
                          why});
            break;
        }
        cases.append({caseName(record, pass, index), 0, TestCase::Skipped, QString(), why});
    }
    return cases;
}

} // namespace

QString reportText(const QString &text)
{
    QString shown = visibleText(text);
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
    out.writeAttribute(QStringLiteral("name"), reportText(record.name));
    out.writeAttribute(QStringLiteral("tests"), QString::number(cases.size()));
    out.writeAttribute(QStringLiteral("failures"), count(TestCase::Failure));
    out.writeAttribute(QStringLiteral("errors"), count(TestCase::Error));
    out.writeAttribute(QStringLiteral("skipped"), count(TestCase::Skipped));
    out.writeAttribute(QStringLiteral("time"), seconds(record.seconds));
    out.writeAttribute(QStringLiteral("timestamp"),
                       record.started.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));

    out.writeStartElement(QStringLiteral("properties"));
    const auto property = [&out](const QString &name, const QString &value) {
        if (value.isEmpty())
            return;
        out.writeEmptyElement(QStringLiteral("property"));
        out.writeAttribute(QStringLiteral("name"), name);
        out.writeAttribute(QStringLiteral("value"), reportText(value));
    };
    property(QStringLiteral("port"), record.port);
    property(QStringLiteral("device"), record.device);
    property(QStringLiteral("module version"), record.moduleVersion);
    property(QStringLiteral("encoding"), record.encoding);
    out.writeEndElement();

    for (const TestCase &test : cases) {
        out.writeStartElement(QStringLiteral("testcase"));
        out.writeAttribute(QStringLiteral("name"), reportText(test.name));
        out.writeAttribute(QStringLiteral("classname"), reportText(record.name));
        out.writeAttribute(QStringLiteral("time"), seconds(test.seconds));
        if (test.kind != TestCase::Passed) {
            const QString element = test.kind == TestCase::Failure ? QStringLiteral("failure")
                                    : test.kind == TestCase::Error ? QStringLiteral("error")
                                                                   : QStringLiteral("skipped");
            out.writeStartElement(element);
            out.writeAttribute(QStringLiteral("message"), reportText(test.message));
            if (!test.type.isEmpty())
                out.writeAttribute(QStringLiteral("type"), test.type);
            out.writeEndElement();
        }
        out.writeEndElement();
    }
    out.writeEndElement();
    out.writeEndDocument();
    xml += '\n';
    return xml;
}
