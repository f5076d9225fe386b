#include "audio_output.h"

#include <alsa/asoundlib.h>
#include <pcaudiolib/audio.h>

namespace {

constexpr const char *applicationName = "parlino-sim";
constexpr const char *streamDescription = "Simulated speech module";

// ALSA prints every failed lookup of a sound card to standard error; a machine without one is
// expected here, and the caller reports it in one line.
void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

} // namespace

void AudioOutput::Closer::operator()(audio_object *object) const
{
    audio_object_close(object);
    audio_object_destroy(object);
}

std::optional<AudioOutput> AudioOutput::open(int sampleRate, QString *error)
{
    snd_lib_error_set_handler(ignoreAlsaError);
    audio_object *object = create_audio_device_object(nullptr, applicationName, streamDescription);
    if (!object) {
        *error = "no audio output";
        return std::nullopt;
    }
    const int result = audio_object_open(
        object, AUDIO_OBJECT_FORMAT_S16LE, static_cast<std::uint32_t>(sampleRate), 1);
    if (result != 0) {
        *error = QString("no audio output (%1)")
                     .arg(QString::fromLocal8Bit(audio_object_strerror(object, result)));
        audio_object_destroy(object);
        return std::nullopt;
    }
    return AudioOutput(object);
}

AudioOutput::AudioOutput(audio_object *object)
    : m_object(object)
{}

bool AudioOutput::write(std::span<const std::int16_t> samples)
{
    return audio_object_write(m_object.get(), samples.data(), samples.size_bytes()) == 0;
}

void AudioOutput::flush()
{
    audio_object_flush(m_object.get());
}
