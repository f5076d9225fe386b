#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

struct audio_object;

// The default audio output (PulseAudio or ALSA, through libpcaudio, the library espeak-ng plays
// with), taking 16-bit mono samples. Writing blocks while the output's buffer is full; flush()
// drops what is buffered and not yet heard. Used from one thread only.
class AudioOutput
{
public:
    // Opens the default output at the sample rate; on failure (no sound server and no sound
    // card) returns nothing and sets *error. The audio libraries' own complaints are kept off
    // standard error.
    static std::optional<AudioOutput> open(int sampleRate, QString *error);

    bool write(std::span<const std::int16_t> samples);
    void flush();

private:
    struct Closer
    {
        void operator()(audio_object *object) const;
    };

    explicit AudioOutput(audio_object *object);

    std::unique_ptr<audio_object, Closer> m_object;
};
