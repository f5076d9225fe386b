#include "support/junit_check.h"

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
            report.times.append(value("time").toDouble());
        } else if (!report.cases.isEmpty()) {
            report.cases.last() += QStringLiteral(" | %1: %2").arg(reader.name(), value("message"));
        }
    }
    if (reader.hasError())
        report.readError = reader.errorString();
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
