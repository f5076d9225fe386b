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
        const QStringView element = reader.name();
        if (element == u"testsuite") {
            for (const QXmlStreamAttribute &attribute : attributes)
                report.suite.insert(attribute.name().toString(), attribute.value().toString());
        } else if (element == u"property") {
            report.properties.insert(attributes.value(QLatin1String("name")).toString(),
                                     attributes.value(QLatin1String("value")).toString());
        } else if (element == u"testcase") {
            JUnitCase test;
            test.name = attributes.value(QLatin1String("name")).toString();
            test.time = attributes.value(QLatin1String("time")).toDouble();
            report.cases.append(test);
        } else if (!report.cases.isEmpty()) {
            report.cases.last().result = element.toString();
            report.cases.last().message = attributes.value(QLatin1String("message")).toString();
        }
    }
    if (reader.hasError())
        report.readError = reader.errorString();
    return report;
}

QString junitSchemaErrors(const QByteArray &xml)
{
    QTemporaryFile file;
    if (!file.open() || file.write(xml) != xml.size() || !file.flush())
        return QStringLiteral("cannot write the report to check it");
    QProcess xmllint;
    xmllint.setProcessChannelMode(QProcess::MergedChannels);
    xmllint.start(QStringLiteral("xmllint"),
                  {QStringLiteral("--noout"),
                   QStringLiteral("--schema"),
                   QStringLiteral(PARLINO_TEST_DIR "/schema/junit.xsd"),
                   file.fileName()});
    if (!xmllint.waitForFinished(30000))
        return QStringLiteral("xmllint did not run: ") + xmllint.errorString();
    if (xmllint.exitStatus() == QProcess::NormalExit && xmllint.exitCode() == 0)
        return QString();
    return QString::fromUtf8(xmllint.readAll());
}
