#include "report/junit_report.h"

#include "link/transcript.h"

#include <QBuffer>
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

TestCase skippedCase(const RunRecord &record, int pass, qsizetype index, const QString &why)
{
    return {caseName(record, pass, index), 0, TestCase::Skipped, QString(), why, QString()};
}

// The one case that stands for the lines never sent past the ones listed.
TestCase
restCase(const RunRecord &record, int pass, qsizetype index, qsizetype after, const QString &why)
{
    return {QStringLiteral("pass %1, line %2 and the %3 lines after it")
                .arg(pass)
                .arg(record.lineNumbers.value(index))
                .arg(after),
            0,
            TestCase::Skipped,
            QString(),
            why,
            QString()};
}

QString unsentReason(const RunRecord &record)
{
    return record.end == RunEnd::Spoken ? QStringLiteral("not sent")
                                        : QStringLiteral("not sent: ") + record.cause;
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
    const QString why = unsentReason(record);
    for (qsizetype listed = 0; listed < unsent; ++listed, ++index) {
        if (index == count) {
            index = 0;
            ++pass;
        }
        if (listed == maxListedSkips) {
            cases.append(restCase(record, pass, index, unsent - listed - 1, why));
            break;
        }
        cases.append(skippedCase(record, pass, index, why));
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

QString suiteName(const RunRecord &record)
{
    return reportText(record.suite.isEmpty() ? record.name : record.suite);
}

struct CaseCounts
{
    qsizetype failures = 0;
    qsizetype errors = 0;
    qsizetype skipped = 0;
    qsizetype tests = 0;

    void add(decltype(TestCase::kind) kind)
    {
        ++tests;
        failures += kind == TestCase::Failure;
        errors += kind == TestCase::Error;
        skipped += kind == TestCase::Skipped;
    }
};

// The report up to its first case: the suite's attributes and its properties.
QByteArray reportHead(const RunRecord &record, const CaseCounts &counts)
{
    QByteArray xml;
    QXmlStreamWriter out(&xml);
    out.setAutoFormatting(true);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("testsuite"));
    out.writeAttribute(QStringLiteral("name"), suiteName(record));
    out.writeAttribute(QStringLiteral("tests"), QString::number(counts.tests));
    out.writeAttribute(QStringLiteral("failures"), QString::number(counts.failures));
    out.writeAttribute(QStringLiteral("errors"), QString::number(counts.errors));
    out.writeAttribute(QStringLiteral("skipped"), QString::number(counts.skipped));
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
    return xml;
}

} // namespace

// Writes one case at a time, as it stands among the others in the report, so that a report is
// its head, its cases' bytes one after another, and its tail.
class CaseWriter
{
public:
    explicit CaseWriter(const QString &suite)
        : suite_(suite)
    {
        buffer_.open(QIODevice::WriteOnly);
        out_.setDevice(&buffer_);
        out_.setAutoFormatting(true);
        out_.writeStartElement(QStringLiteral("testsuite"));
        // Written once and dropped, so that every case after it follows a case.
        bytes(TestCase());
    }

    QByteArray bytes(const TestCase &test)
    {
        buffer_.seek(0);
        buffer_.buffer().clear();
        out_.writeStartElement(QStringLiteral("testcase"));
        out_.writeAttribute(QStringLiteral("name"), reportText(test.name));
        // Viewers that group by class keep the runs of two ports, or two runs, apart.
        out_.writeAttribute(QStringLiteral("classname"), suite_);
        out_.writeAttribute(QStringLiteral("time"), seconds(test.seconds));
        if (test.kind != TestCase::Passed) {
            const QString element = test.kind == TestCase::Failure ? QStringLiteral("failure")
                                    : test.kind == TestCase::Error ? QStringLiteral("error")
                                                                   : QStringLiteral("skipped");
            out_.writeStartElement(element);
            out_.writeAttribute(QStringLiteral("message"), reportText(test.message));
            if (!test.type.isEmpty())
                out_.writeAttribute(QStringLiteral("type"), test.type);
            if (!test.exchange.isEmpty())
                out_.writeCharacters(xmlSafe(test.exchange));
            out_.writeEndElement();
        }
        if (!test.exchange.isEmpty())
            out_.writeTextElement(QStringLiteral("system-out"), xmlSafe(test.exchange));
        out_.writeEndElement();
        return buffer_.data();
    }

    // What closes the report after its last case.
    QByteArray tail()
    {
        buffer_.seek(0);
        buffer_.buffer().clear();
        out_.writeEndDocument();
        return buffer_.data() + '\n';
    }

private:
    QString suite_;
    QBuffer buffer_;
    QXmlStreamWriter out_;
};

namespace {

QByteArray reportTail()
{
    static const QByteArray tail = CaseWriter(QString()).tail();
    return tail;
}

} // namespace

QString reportText(const QString &text)
{
    return xmlSafe(visibleText(text));
}

QByteArray junitReport(const RunRecord &record)
{
    const QList<TestCase> cases = testCases(record);
    CaseCounts counts;
    QByteArray body;
    CaseWriter writer(suiteName(record));
    for (const TestCase &test : cases) {
        counts.add(test.kind);
        body += writer.bytes(test);
    }
    return reportHead(record, counts) + body + reportTail();
}

namespace {

// The record without what changes as the run goes on and is written afresh every time.
RunRecord withoutProgress(const RunRecord &record)
{
    RunRecord run = record;
    run.sent.clear();
    run.seconds = 0;
    run.moduleVersion.clear();
    return run;
}

} // namespace

UnfinishedReport::UnfinishedReport(const RunRecord &record)
    : run_(withoutProgress(record))
    , writer_(std::make_shared<CaseWriter>(suiteName(record)))
{}

bool UnfinishedReport::sameRun(const RunRecord &record) const
{
    return writer_ && withoutProgress(record) == run_;
}

void UnfinishedReport::keepSettled(const RunRecord &record)
{
    // Every line sent but the last has its verdict; a line whose record changed all the same
    // is written again, and the ones after it.
    const qsizetype wanted = std::max<qsizetype>(0, record.sent.size() - 1);
    qsizetype kept = 0;
    while (kept < settledLines_.size() && kept < wanted
           && settledLines_[kept].line == record.sent[kept])
        ++kept;
    settledLines_.resize(kept);
    settled_.truncate(kept == 0 ? 0 : settledLines_.last().end);
    for (; kept < wanted; ++kept) {
        const TestCase test = sentCase(record, record.sent[kept]);
        settled_ += writer_->bytes(test);
        const Settled before = kept == 0 ? Settled() : settledLines_.last();
        settledLines_.append({record.sent[kept],
                              settled_.size(),
                              before.failures + (test.kind == TestCase::Failure),
                              before.errors + (test.kind == TestCase::Error)});
    }
}

QByteArrayView UnfinishedReport::skipBytes(const RunRecord &record, qsizetype from, qsizetype to)
{
    if (from >= to)
        return {};
    // The cases of lines sent since are dropped from the front.
    const qsizetype sentSince = from - skipsFrom_;
    if (sentSince < 0 || sentSince >= skipEnds_.size()) {
        skipEnds_.clear();
        skips_.clear();
        skipsBase_ = 0;
    } else if (sentSince > 0) {
        const qsizetype base = skipEnds_[sentSince - 1];
        skips_.remove(0, base - skipsBase_);
        // Memory given back as the lines go out, not held at the longest the list was.
        if (skips_.size() < skips_.capacity() / 2)
            skips_.squeeze();
        skipEnds_.remove(0, sentSince);
        skipsBase_ = base;
    }
    skipsFrom_ = from;
    const qsizetype count = record.lines.size();
    const QString why = unsentReason(record);
    for (qsizetype at = from + skipEnds_.size(); at < to; ++at) {
        skips_ += writer_->bytes(skippedCase(record, int(at / count + 1), at % count, why));
        skipEnds_.append(skipsBase_ + skips_.size());
    }
    return QByteArrayView(skips_).first(skipEnds_[to - from - 1] - skipsBase_);
}

QByteArray UnfinishedReport::report(const RunRecord &record)
{
    if (record.end != RunEnd::Unfinished || record.lines.isEmpty())
        return junitReport(record);
    if (!sameRun(record))
        *this = UnfinishedReport(record);
    const QList<SentLine> &sent = record.sent;
    keepSettled(record);
    CaseWriter &writer = *writer_;

    // The last line sent may still change; so may the case that carries the run's error.
    CaseCounts counts;
    if (!settledLines_.isEmpty()) {
        counts.tests = settledLines_.size();
        counts.failures = settledLines_.last().failures;
        counts.errors = settledLines_.last().errors;
    }
    QList<TestCase> changing;
    if (!sent.isEmpty())
        changing.append(sentCase(record, sent.last()));
    const qsizetype count = record.lines.size();
    const qsizetype total = count * record.passes;
    const qsizetype firstUnsent
        = sent.isEmpty() ? 0 : qsizetype(sent.last().pass - 1) * count + sent.last().index + 1;
    const qsizetype unsent = std::max<qsizetype>(0, total - firstUnsent);
    const qsizetype listed = std::min(unsent, maxListedSkips);
    const bool endShown = counts.failures + counts.errors > 0
                          || (!changing.isEmpty() && changing.last().kind != TestCase::Passed);
    QByteArrayView skips = skipBytes(record, firstUnsent, firstUnsent + listed);
    if (!endShown) {
        // As the whole report has it: the next line to go out, or else the last one sent.
        if (listed == 0 && changing.isEmpty())
            return junitReport(record);
        if (listed > 0) {
            changing.append(skippedCase(
                record, int(firstUnsent / count + 1), firstUnsent % count, unsentReason(record)));
            skips = skips.sliced(skipEnds_.first() - skipsBase_);
        }
        TestCase &test = changing.last();
        test.message = test.kind == TestCase::Passed ? record.cause : test.message;
        test.kind = TestCase::Error;
        test.type = errorType(record.end);
    }
    QByteArray changed;
    for (const TestCase &test : changing) {
        counts.add(test.kind);
        changed += writer.bytes(test);
    }
    const qsizetype skipped = listed - (endShown ? 0 : std::min<qsizetype>(listed, 1));
    counts.skipped += skipped;
    counts.tests += skipped;
    QByteArray rest;
    if (unsent > maxListedSkips) {
        counts.add(TestCase::Skipped);
        const qsizetype at = firstUnsent + listed;
        rest = writer.bytes(restCase(
            record, int(at / count + 1), at % count, unsent - listed - 1, unsentReason(record)));
    }

    QByteArray xml = reportHead(record, counts);
    const QByteArray tail = reportTail();
    xml.reserve(xml.size() + settled_.size() + changed.size() + skips.size() + rest.size()
                + tail.size());
    xml += settled_;
    xml += changed;
    xml += skips;
    xml += rest;
    xml += tail;
    return xml;
}
