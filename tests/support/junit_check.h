#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// A JUnit report read back: the suite's attributes and properties, and each testcase with
// what it holds ("" passed, "failure", "error" or "skipped") and that element's message.
struct JUnitCase
{
    QString name;
    double time = 0;
    QString result;
    QString message;
};

struct JUnitReport
{
    QMap<QString, QString> suite;
    QMap<QString, QString> properties;
    QList<JUnitCase> cases;
    QString readError; // set when the XML is not well formed
};

JUnitReport readJUnit(const QByteArray &xml);

// Validates the report with xmllint against the JUnit schema in tests/schema; the empty
// string when it is valid, else what xmllint said.
QString junitSchemaErrors(const QByteArray &xml);
