#include "proc_status.h"

#include <QByteArray>
#include <QFile>
#include <QList>

qint64 procStatusKb(const char *field, qint64 pid)
{
    QFile status(pid == 0 ? QStringLiteral("/proc/self/status")
                          : QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    // Files in /proc report a size of 0, so atEnd() is no guide: read it whole.
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        bool ok = false;
        const qint64 value
            = line.mid(prefix.size()).trimmed().split(' ').constFirst().toLongLong(&ok);
        return ok ? value : -1;
    }
    return -1;
}
