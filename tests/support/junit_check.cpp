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
report = JUnitXml.fromfile(sys.argv[1])
for suite in [report] if report._tag == "testsuite" else list(report):
    print(json.dumps({"suite": {"name": suite.name, "tests": str(suite.tests),
        "failures": str(suite.failures), "errors": str(suite.errors),
        "skipped": str(suite.skipped), "hostname": suite.hostname or ""}}))
    for case in suite:
        name = case.name
        text = ""
        for result in case.result:
            name += " | %s: %s" % (result._tag, result.message)
            text = result.text or ""
        print(json.dumps({"case": name, "classname": case.classname, "text": text,
                          "output": case.system_out or ""}))
)";
    JUnitReport report;
    QTemporaryFile file;
    if (!file.open() || file.write(xml) != xml.size() || !file.flush()) {
        report.readError = QStringLiteral("cannot write the report to read it");
        return report;
    }
    // Debian's interpreter, where the package is installed, whatever python3 comes first.
    QProcess python;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    python.setProcessEnvironment(environment);
    python.start(QStringLiteral("/usr/bin/python3"), {"-c", script, file.fileName()});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        report.readError = QString::fromUtf8(python.readAllStandardError());
        return report;
    }
    for (const QByteArray &line : python.readAllStandardOutput().split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object.contains(QLatin1String("suite"))) {
            const QJsonObject suite = object.value(QLatin1String("suite")).toObject();
            for (auto it = suite.begin(); it != suite.end(); ++it)
                report.suite.insert(it.key(), it.value().toString());
        } else if (object.contains(QLatin1String("case"))) {
            report.cases.append(object.value(QLatin1String("case")).toString());
            report.classnames.append(object.value(QLatin1String("classname")).toString());
            report.texts.append(object.value(QLatin1String("text")).toString());
            report.outputs.append(object.value(QLatin1String("output")).toString());
        }
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
