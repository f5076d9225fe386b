#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// One record of the simulator's --log file: what one read() or write() on its side of the serial
// line carried. A line of the file reads "<seconds> <IN|OUT> <hex bytes>", then a tab and
// the bytes' text, for example "0.012345 IN 53 54 54 0D\tSTT\r"; IN is what the console sent, OUT
// what the simulator answered.
struct SimLogRecord
{
    double seconds = 0; // since the simulator started
    bool in = false;    // true: received from the console; false: sent to it
    QByteArray bytes;
    QString text; // the text column as written, control characters shown visibly
};

// Parses one line of the log, without its line end; nothing if it is not a record.
std::optional<SimLogRecord> parseSimLogLine(QByteArrayView line);

// Reads every complete record of the log file. A last line still being written (no line end yet)
// is left out. A missing file gives an empty list.
QList<SimLogRecord> readSimLog(const QString &path);

// All bytes the console sent, in order.
QByteArray receivedBytes(const QList<SimLogRecord> &records);

// All bytes the simulator sent, in order.
QByteArray sentBytes(const QList<SimLogRecord> &records);
