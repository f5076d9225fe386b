#include "log_format.h"

QByteArray
formatLogRecord(std::int64_t microsecondsSinceStart, LogDirection direction, QByteArrayView bytes)
{
    const std::int64_t micros = microsecondsSinceStart < 0 ? 0 : microsecondsSinceStart;
    QByteArray line = QByteArray::number(static_cast<qlonglong>(micros / 1000000));
    line += '.';
    line += QByteArray::number(static_cast<qlonglong>(micros % 1000000)).rightJustified(6, '0');
    line += direction == LogDirection::In ? " IN" : " OUT";
    if (!bytes.isEmpty()) {
        line += ' ';
        line += bytes.toByteArray().toHex(' ').toUpper();
    }
    line += '\n';
    return line;
}
