#pragma once

#include "log_format.h"
#include "unique_fd.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>

// The --log file: one record per chunk read from or written to the console, each written to the
// file at once so that a test can read it while the simulator runs. Does nothing when not open.
class ByteLog
{
public:
    // Creates or empties the file; on failure returns false and sets *error.
    bool open(const QString &path, QString *error);

    void record(std::int64_t microsecondsSinceStart, LogDirection direction, QByteArrayView bytes);
    // One summary record of the random bytes a flood sent since its previous summary.
    void recordFlood(std::int64_t microsecondsSinceStart, std::int64_t byteCount);

private:
    void writeLine(const QByteArray &line);

    UniqueFd m_file;
};
