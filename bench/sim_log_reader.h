#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// A command line the console wrote, as the simulator's --log recorded it: the bytes of the IN
// records up to and including a CR, and the time the first of them arrived.
struct LoggedCommand
{
    double seconds = 0; // since the simulator started
    QByteArray bytes;
};

// What the simulator's log tells a benchmark.
struct SimLogSummary
{
    QList<LoggedCommand> commands; // every complete command line the console wrote, in order
    qint64 floodBytes = 0;         // random bytes of a flood, from its OUT-FLOOD records
    double floodFirst = -1;        // time of the first and the last OUT-FLOOD record
    double floodLast = -1;
};

// Reads the log file. Lines that are not records, and OUT records, are passed over.
SimLogSummary readSimLogSummary(const QString &path);
