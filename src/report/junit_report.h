#pragma once

#include "report/run_record.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// A JUnit XML report of a scripted run, as CI systems read it: one testsuite named after the
// script and the port ("module.txt on COM3", or the name asked for), its cases in a class of
// the same name, and one testcase for every line of the list in every pass, however the run
// ended: a line spoken passes, a line the module answered with an error is a failure quoting
// the answer, a line cut short (or still running) is an error naming the cause, and a line
// never sent is skipped. A line that did not pass holds its exchange with the module, as the
// transcript writes it, in its result's text and its output. A run that failed before a line
// went out has the error on the line it stopped at.
QByteArray junitReport(const RunRecord &record);

class CaseWriter;

// The report of a run still going, byte for byte as junitReport gives it, made without
// writing again the cases that no longer change: the bytes of the lines that have their
// verdict are kept, and so are those of the lines not yet sent, so that what a report costs
// depends on the lines sent since the last one and not on the length of the script. A line
// whose record changed after all, or a run whose list or cause did, is written again.
class UnfinishedReport
{
public:
    UnfinishedReport() = default;
    QByteArray report(const RunRecord &record);

private:
    explicit UnfinishedReport(const RunRecord &record);
    bool sameRun(const RunRecord &record) const;
    void keepSettled(const RunRecord &record);
    QByteArrayView skipBytes(const RunRecord &record, qsizetype from, qsizetype to);

    RunRecord run_; // the record the kept bytes were written for, without its lines sent
    std::shared_ptr<CaseWriter> writer_;
    // The lines sent whose cases are kept, each with where its bytes end and the failures
    // and errors up to it.
    struct Settled
    {
        SentLine line;
        qsizetype end = 0;
        qsizetype failures = 0;
        qsizetype errors = 0;
    };
    QList<Settled> settledLines_;
    QByteArray settled_;
    // The cases of lines not sent, from the line skipsFrom_ of all passes on, and where each
    // ends counted from skipsBase_.
    qsizetype skipsFrom_ = 0;
    qsizetype skipsBase_ = 0;
    QList<qsizetype> skipEnds_;
    QByteArray skips_;
};

// More lines never sent than this are not listed one by one: a single skipped testcase stands
// for the rest (a long list repeated many times would make a report no one can open).
constexpr qsizetype maxListedSkips = 10000;

// Text as XML 1.0 can hold it and a reader can see it: control characters and backslashes
// written as escapes (\r, \xNN, \\), characters XML cannot hold at all as U+FFFD.
QString reportText(const QString &text);
