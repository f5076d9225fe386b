#include "log_format.h"

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
    QString visible;
    visible.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\r':
            visible += QLatin1String("\\r");
            break;
        case '\n':
            visible += QLatin1String("\\n");
            break;
        case '\t':
            visible += QLatin1String("\\t");
            break;
        case '\\':
            visible += QLatin1String("\\\\");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                visible += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                visible += c;
        }
    }
    return visible;
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
