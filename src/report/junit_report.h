#pragma once

#include "report/run_record.h"

#include <QByteArray>
#include <QString>

// A JUnit XML report of a scripted run, as CI systems read it: one testsuite named after the
// script file, one testcase per line sent (its time the line's speaking time), a failure for
// a line the module answered with an error, an error for a line cut short and for a run that
// failed before or after its lines, and a skipped testcase per line never sent.
QByteArray junitReport(const RunRecord &record);

// More lines never sent than this are not listed one by one: a single skipped testcase stands
// for the rest (a long list repeated many times would make a report no one can open).
constexpr qsizetype maxListedSkips = 10000;

// Text as XML 1.0 can hold it and a reader can see it: control characters and backslashes
// written as escapes (\r, \xNN, \\), characters XML cannot hold at all as U+FFFD.
QString reportText(const QString &text);
