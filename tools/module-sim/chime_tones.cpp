#include "chime_tones.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Note
{
    double startSeconds;
    double frequency;
};

constexpr double attackSeconds = 0.005; // a soft onset, so that a note does not click
constexpr double decayPerSecond = 7.0;  // a struck bell's fading
constexpr double overtone = 0.3;        // weight of the octave above, for a bell-like colour
constexpr double peak = 0.35 * 32767;   // loud enough to hear, far from clipping when notes overlap

// Chime 1: G5 then E5. Chime 2: C5, E5, G5.
constexpr Note chimeOne[] = {{0.0, 784.0}, {0.3, 659.3}};
constexpr double chimeOneSeconds = 0.9;
constexpr Note chimeTwo[] = {{0.0, 523.3}, {0.18, 659.3}, {0.36, 784.0}};
constexpr double chimeTwoSeconds = 0.9;

template<std::size_t N>
std::vector<std::int16_t> render(const Note (&notes)[N], double seconds, int sampleRate)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * sampleRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / sampleRate;
        double value = 0;
        for (const Note &note : notes) {
            const double age = t - note.startSeconds;
            if (age < 0)
                continue;
            const double envelope
                = std::min(1.0, age / attackSeconds) * std::exp(-decayPerSecond * age);
            const double phase = 2 * std::numbers::pi * note.frequency * age;
            value += envelope * (std::sin(phase) + overtone * std::sin(2 * phase));
        }
        samples[i] = static_cast<std::int16_t>(
            std::clamp(value * peak / (1 + overtone), -32767.0, 32767.0));
    }
    return samples;
}

} // namespace

std::vector<std::int16_t> chimeSamples(int chime, int sampleRate)
{
    if (sampleRate <= 0)
        return {};
    switch (chime) {
    case 1:
        return render(chimeOne, chimeOneSeconds, sampleRate);
    case 2:
        return render(chimeTwo, chimeTwoSeconds, sampleRate);
    default:
        return {};
    }
}
