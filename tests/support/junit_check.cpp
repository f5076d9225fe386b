#include "support/junit_check.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <QXmlStreamReader>

JUnitReport readJUnit(const QByteArray &xml)
{
    JUnitReport report;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        const auto value = [&](const char *name) {
            return attributes.value(QLatin1String(name)).toString();
        };
        if (reader.name() == u"testsuite") {
            for (const QXmlStreamAttribute &attribute : attributes)
                report.suite.insert(attribute.name().toString(), attribute.value().toString());
        } else if (reader.name() == u"property") {
            report.properties.insert(value("name"), value("value"));
        } else if (reader.name() == u"testcase") {
            report.cases.append(value("name"));
            report.classnames.append(value("classname"));
            report.times.append(value("time").toDouble());
            report.texts.append(QString());
            report.outputs.append(QString());
        } else if (report.cases.isEmpty()) {
            continue;
        } else if (reader.name() == u"system-out") {
            report.outputs.last() = reader.readElementText();
        } else {
            report.cases.last() += QStringLiteral(" | %1: %2").arg(reader.name(), value("message"));
            report.texts.last() = reader.readElementText();
        }
    }
    if (reader.hasError())
        report.readError = reader.errorString();
    return report;
}

JUnitReport readJUnitWithJunitparser(const QByteArray &xml)
{
    static const char script[] = R"(
import json, sys
from junitparser import JUnitXml
report = JUnitXml.fromstring(sys.stdin.buffer.read())
for suite in [report] if report._tag == "testsuite" else report:
    print(json.dumps({k: str(getattr(suite, k)) for k in
                      ("name", "tests", "failures", "errors", "skipped", "hostname")}))
    for case in suite:
        print(json.dumps([case.name + "".join(" | %s: %s" % (r._tag, r.message) for r in case.result),
                          case.classname, "".join(r.text or "" for r in case.result),
                          case.system_out or ""]))
)";
    // Debian's interpreter, where the package is installed, whatever python3 comes first.
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {"-c", script});
    python.write(xml);
    python.closeWriteChannel();
    JUnitReport report;
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        report.readError = QStringLiteral("junitparser: ") + python.readAllStandardError();
    for (const QByteArray &line : python.readAllStandardOutput().split('\n')) {
        const QJsonDocument json = QJsonDocument::fromJson(line);
        for (const QString &key : json.object().keys())
            report.suite.insert(key, json[key].toString());
        for (int i = 0; QStringList * list :
                        {&report.cases, &report.classnames, &report.texts, &report.outputs})
            if (json.isArray())
                list->append(json[i++].toString());
    }
    return report;
}

QString JUnitReport::count(const QString &result) const
{
    const QString mark = QStringLiteral(" | %1: ").arg(result);
    return QString::number(result.isEmpty() ? cases.size() : cases.filter(mark).size());
}

QString junitSchemaErrors(const QByteArray &xml)
{
    QTemporaryFile file;
    if (!file.open() || file.write(xml) != xml.size() || !file.flush())
        return QStringLiteral("cannot write the report to check it");
    QProcess xmllint;
    xmllint.setProcessChannelMode(QProcess::MergedChannels);
    xmllint.start(QStringLiteral("xmllint"),
                  {"--noout", "--schema", PARLINO_TEST_DIR "/schema/junit.xsd", file.fileName()});
    if (!xmllint.waitForFinished(30000))
        return QStringLiteral("xmllint did not run: ") + xmllint.errorString();
    if (xmllint.exitStatus() == QProcess::NormalExit && xmllint.exitCode() == 0)
        return QString();
    return QString::fromUtf8(xmllint.readAll());
}
