#include "sim_log_reader.h"

#include <QFile>

SimLogSummary readSimLogSummary(const QString &path)
{
    SimLogSummary summary;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return summary;
    LoggedCommand pending;
    bool inCommand = false;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.size() < 3)
            continue;
        bool ok = false;
        const double seconds = fields[0].toDouble(&ok);
        if (!ok)
            continue;
        if (fields[1] == "OUT-FLOOD") {
            summary.floodBytes += fields[2].toLongLong();
            if (summary.floodFirst < 0)
                summary.floodFirst = seconds;
            summary.floodLast = seconds;
            continue;
        }
        if (fields[1] != "IN")
            continue;
        for (qsizetype i = 2; i < fields.size(); ++i) {
            const QByteArray byte = QByteArray::fromHex(fields[i]);
            if (!inCommand) {
                pending = LoggedCommand{seconds, {}};
                inCommand = true;
            }
            pending.bytes += byte;
            if (byte == "\r") {
                summary.commands.append(pending);
                inCommand = false;
            }
        }
    }
    return summary;
}
