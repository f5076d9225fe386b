#pragma once

#include "log_format.h"
#include "unique_fd.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <cstdint>

// The --log file: one record per chunk read from or written to the console, with the text the
// bytes make in code page 932, each written to the file at once so that a test can read it
// while the simulator runs. Does nothing when not open.
class ByteLog
{
public:
    // Creates the file; a log left by an earlier run is kept as PATH.1 (replacing the one
    // before it). On failure returns false and sets *error.
    bool open(const QString &path, QString *error);

    void record(std::int64_t microsecondsSinceStart, LogDirection direction, QByteArrayView bytes);
    // One summary record of the random bytes a flood sent since its previous summary.
    void recordFlood(std::int64_t microsecondsSinceStart, std::int64_t byteCount);
    // When a sound of the voice started and how long it lasts; and a stop that cut one short.
    void recordAudio(std::int64_t microsecondsSinceStart,
                     std::int64_t number,
                     std::int64_t startMicros,
                     std::int64_t lengthMicros);
    void recordAudioCut(std::int64_t microsecondsSinceStart, std::int64_t number);

private:
    void writeLine(const QByteArray &line);

    UniqueFd m_file;
    // One decoder a direction, so that a character split over two chunks is read whole.
    QStringDecoder m_inText{"CP932"};
    QStringDecoder m_outText{"CP932"};
};
