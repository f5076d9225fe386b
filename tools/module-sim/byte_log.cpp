#include "byte_log.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

bool ByteLog::open(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    // The previous run's log stays readable beside the new one.
    if (::rename(name.constData(), (name + ".1").constData()) != 0 && errno != ENOENT) {
        *error = QString("%1: cannot keep the previous log as %1.1: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const int fd
        = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = QString("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_file.reset(fd);
    return true;
}

void ByteLog::record(std::int64_t microsecondsSinceStart,
                     LogDirection direction,
                     QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    QStringDecoder &decoder = direction == LogDirection::In ? m_inText : m_outText;
    const QString text = decoder.decode(bytes);
    writeLine(formatLogRecord(microsecondsSinceStart, direction, bytes, text));
}

void ByteLog::recordFlood(std::int64_t microsecondsSinceStart, std::int64_t byteCount)
{
    writeLine(formatFloodRecord(microsecondsSinceStart, byteCount));
}

void ByteLog::recordAudio(std::int64_t microsecondsSinceStart,
                          std::int64_t number,
                          std::int64_t startMicros,
                          std::int64_t lengthMicros)
{
    writeLine(formatAudioRecord(microsecondsSinceStart, number, startMicros, lengthMicros));
}

void ByteLog::recordAudioCut(std::int64_t microsecondsSinceStart, std::int64_t number)
{
    writeLine(formatAudioCutRecord(microsecondsSinceStart, number));
}

void ByteLog::writeLine(const QByteArray &line)
{
    if (!m_file.isValid())
        return;
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(m_file.get(), line.constData() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // a full disk loses the record; the simulator carries on
        done += written;
    }
}
