#pragma once

#include "report/run_record.h"

#include <QByteArray>
#include <QString>

// A JUnit XML report of a scripted run, as CI systems read it: one testsuite named after the
// script and the port ("module.txt on COM3", or the name asked for), its cases in a class of
// the same name, and one testcase for every line of the list in every pass, however the run
// ended: a line spoken passes, a line the module answered with an error is a failure quoting
// the answer, a line cut short (or still running) is an error naming the cause, and a line
// never sent is skipped. A line that did not pass holds its exchange with the module, as the
// transcript writes it, in its result's text and its output. A run that failed before a line
// went out has the error on the line it stopped at.
QByteArray junitReport(const RunRecord &record);

// More lines never sent than this are not listed one by one: a single skipped testcase stands
// for the rest (a long list repeated many times would make a report no one can open).
constexpr qsizetype maxListedSkips = 10000;

// Text as XML 1.0 can hold it and a reader can see it: control characters and backslashes
// written as escapes (\r, \xNN, \\), characters XML cannot hold at all as U+FFFD.
QString reportText(const QString &text);
