#include "wav_file.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int bytesPerSample = 2;
constexpr qsizetype headerBytes = 44;
// Samples are converted to little-endian and written this many at a time.
constexpr std::size_t blockSamples = 64 * 1024;

void append32(QByteArray &bytes, std::uint32_t value)
{
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

void append16(QByteArray &bytes, std::uint16_t value)
{
    char le[2];
    qToLittleEndian(value, le);
    bytes.append(le, 2);
}

} // namespace

QByteArray wavHeader(std::size_t sampleCount, int sampleRate)
{
    const auto dataBytes = static_cast<std::uint32_t>(sampleCount * bytesPerSample);
    QByteArray bytes;
    bytes.reserve(headerBytes);
    bytes.append("RIFF");
    append32(bytes, 36 + dataBytes);
    bytes.append("WAVEfmt ");
    append32(bytes, 16); // size of the format chunk
    append16(bytes, 1);  // PCM
    append16(bytes, 1);  // mono
    append32(bytes, static_cast<std::uint32_t>(sampleRate));
    append32(bytes, static_cast<std::uint32_t>(sampleRate * bytesPerSample)); // bytes a second
    append16(bytes, bytesPerSample);                                          // bytes a frame
    append16(bytes, 16);                                                      // bits a sample
    bytes.append("data");
    append32(bytes, dataBytes);
    return bytes;
}

bool writeWavFile(const QString &path,
                  const std::vector<std::int16_t> &samples,
                  int sampleRate,
                  QString *error)
{
    // Written whole under a temporary name and then renamed: a reader never sees half a file.
    // Not synced to disk: the file is for listening, and a sync would hold up the next sound.
    const QString partPath = path + ".part";
    QFile file(partPath);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
              && file.write(wavHeader(samples.size(), sampleRate)) == headerBytes;
    QByteArray block;
    for (std::size_t at = 0; ok && at < samples.size(); at += blockSamples) {
        block.clear();
        for (std::size_t i = at; i < std::min(samples.size(), at + blockSamples); ++i)
            append16(block, static_cast<std::uint16_t>(samples[i]));
        ok = file.write(block) == block.size();
    }
    file.close();
    if (!ok || file.error() != QFile::NoError) {
        *error = QString("%1: %2").arg(partPath, file.errorString());
        QFile::remove(partPath);
        return false;
    }
    if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(path).constData())
        != 0) {
        *error = QString("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(partPath);
        return false;
    }
    return true;
}
