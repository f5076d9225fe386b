#include "log_format.h"

#include "text/visible_text.h"

namespace {

// Seconds since start with six decimals.
QByteArray formatTime(std::int64_t microsecondsSinceStart)
{
    const std::int64_t micros = microsecondsSinceStart < 0 ? 0 : microsecondsSinceStart;
    QByteArray time = QByteArray::number(static_cast<qlonglong>(micros / 1000000));
    time += '.';
    time += QByteArray::number(static_cast<qlonglong>(micros % 1000000)).rightJustified(6, '0');
    return time;
}

QByteArray formatNumber(std::int64_t number)
{
    return QByteArray::number(static_cast<qlonglong>(number)).rightJustified(4, '0');
}

} // namespace

QByteArray formatLogRecord(std::int64_t microsecondsSinceStart,
                           LogDirection direction,
                           QByteArrayView bytes,
                           QStringView text)
{
    QByteArray line = formatTime(microsecondsSinceStart);
    line += direction == LogDirection::In ? " IN" : " OUT";
    if (!bytes.isEmpty()) {
        line += ' ';
        line += bytes.toByteArray().toHex(' ').toUpper();
    }
    line += '\t';
    line += logText(text).toUtf8();
    line += '\n';
    return line;
}

QString logText(QStringView text)
{
    return visibleText(text);
}

QByteArray formatFloodRecord(std::int64_t microsecondsSinceStart, std::int64_t byteCount)
{
    QByteArray line = formatTime(microsecondsSinceStart);
    line += " OUT-FLOOD ";
    line += QByteArray::number(static_cast<qlonglong>(byteCount));
    line += '\n';
    return line;
}

QByteArray formatAudioRecord(std::int64_t microsecondsSinceStart,
                             std::int64_t number,
                             std::int64_t startMicros,
                             std::int64_t lengthMicros)
{
    return formatTime(microsecondsSinceStart) + " AUDIO " + formatNumber(number) + ' '
           + formatTime(startMicros) + ' ' + formatTime(lengthMicros) + '\n';
}

QByteArray formatAudioCutRecord(std::int64_t microsecondsSinceStart, std::int64_t number)
{
    return formatTime(microsecondsSinceStart) + " AUDIO-CUT " + formatNumber(number) + '\n';
}
