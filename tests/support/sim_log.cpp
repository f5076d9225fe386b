#include "sim_log.h"

#include <QDebug>
#include <QFile>
#include <algorithm>

namespace {

QByteArray joinBytes(const QList<SimLogRecord> &records, bool in)
{
    QByteArray joined;
    for (const SimLogRecord &record : records) {
        if (record.in == in)
            joined += record.bytes;
    }
    return joined;
}

bool isUpperHexPair(QByteArrayView pair)
{
    return pair.size() == 2 && std::all_of(pair.begin(), pair.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

} // namespace

std::optional<SimLogRecord> parseSimLogLine(QByteArrayView line)
{
    const qsizetype tab = line.indexOf('\t');
    const QList<QByteArray> fields = (tab < 0 ? line : line.first(tab)).toByteArray().split(' ');
    if (fields.size() < 2)
        return std::nullopt;
    SimLogRecord record;
    bool ok = false;
    record.seconds = fields[0].toDouble(&ok);
    if (!ok || record.seconds < 0)
        return std::nullopt;
    if (fields[1] == "IN")
        record.in = true;
    else if (fields[1] != "OUT")
        return std::nullopt;
    for (qsizetype i = 2; i < fields.size(); ++i) {
        if (!isUpperHexPair(fields[i]))
            return std::nullopt;
        record.bytes += QByteArray::fromHex(fields[i]);
    }
    if (tab >= 0)
        record.text = QString::fromUtf8(line.sliced(tab + 1));
    return record;
}

QList<SimLogRecord> readSimLog(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.readAll();
    QList<SimLogRecord> records;
    qsizetype begin = 0;
    for (qsizetype end = content.indexOf('\n'); end >= 0; end = content.indexOf('\n', begin)) {
        const QByteArrayView line = QByteArrayView(content).sliced(begin, end - begin);
        if (const std::optional<SimLogRecord> record = parseSimLogLine(line))
            records.append(*record);
        else if (!line.contains(" OUT-FLOOD "))
            // A flood is logged as a count of bytes a second, not as records.
            qWarning() << "not a simulator log record:" << line.toByteArray();
        begin = end + 1;
    }
    return records;
}

QByteArray receivedBytes(const QList<SimLogRecord> &records)
{
    return joinBytes(records, true);
}

QByteArray sentBytes(const QList<SimLogRecord> &records)
{
    return joinBytes(records, false);
}
