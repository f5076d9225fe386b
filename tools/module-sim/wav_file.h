#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// The 44-byte header of a RIFF WAVE file of 16-bit mono PCM samples.
QByteArray wavHeader(std::size_t sampleCount, int sampleRate);

// Writes the samples as a WAVE file, replacing any file of that name; on failure returns false
// and sets *error.
bool writeWavFile(const QString &path,
                  const std::vector<std::int16_t> &samples,
                  int sampleRate,
                  QString *error);
