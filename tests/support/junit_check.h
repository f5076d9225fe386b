#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>

// A JUnit report read back: the suite's attributes and properties, each testcase as "name"
// or "name | result: message" (failure, error or skipped), with its class, time, text, output.
struct JUnitReport
{
    QMap<QString, QString> suite;
    QMap<QString, QString> properties;
    QStringList cases;
    QStringList classnames;
    QList<double> times;
    QStringList texts;
    QStringList outputs;
    QString readError; // set when the XML is not well formed

    // How many testcases hold this result, as the suite's attributes write it.
    QString count(const QString &result) const;
};

JUnitReport readJUnit(const QByteArray &xml);

// The same report as Debian's python3-junitparser reads it: the suite's name, counts and
// hostname, and the cases with their classnames, texts and outputs.
JUnitReport readJUnitWithJunitparser(const QByteArray &xml);

// Validates the report with xmllint against the JUnit schema in tests/schema; the empty
// string when it is valid, else what xmllint said.
QString junitSchemaErrors(const QByteArray &xml);
