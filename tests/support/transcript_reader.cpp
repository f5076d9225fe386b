#include "support/transcript_reader.h"

QList<TranscriptRecord> readTranscript(const QByteArray &content)
{
    QList<TranscriptRecord> records;
    for (const QByteArray &line : content.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 4)
            continue;
        records.append({fields[0].toDouble(),
                        QString::fromLatin1(fields[1]),
                        QString::fromUtf8(fields[2]),
                        QByteArray::fromHex(fields[3])});
    }
    return records;
}
