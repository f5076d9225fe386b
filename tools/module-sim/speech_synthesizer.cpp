#include "speech_synthesizer.h"

#include <espeak-ng/speak_lib.h>

#include <QByteArray>
#include <utility>

namespace {

constexpr const char *japaneseVoice = "ja";
// Length of the pieces the library hands to the callback, in ms.
constexpr int pieceMs = 200;

// Where the pieces of one synthesis go, passed to the library as its user data.
struct Collector
{
    std::vector<std::int16_t> samples;
    const std::function<bool()> &abandon;
    bool abandoned = false;
};

int collectSamples(short *samples, int count, espeak_EVENT *events)
{
    auto *collector = static_cast<Collector *>(events->user_data);
    if (!collector)
        return 0;
    if (samples && count > 0)
        collector->samples.insert(collector->samples.end(), samples, samples + count);
    collector->abandoned = collector->abandoned || collector->abandon();
    return collector->abandoned ? 1 : 0; // 1 stops the synthesis
}

} // namespace

std::optional<SpeechSynthesizer> SpeechSynthesizer::create(QString *error)
{
    // DONT_EXIT: a missing data file is reported, not a reason for the library to end us.
    const int sampleRate
        = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, pieceMs, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (sampleRate <= 0) {
        *error = "the speech library espeak-ng cannot start (is espeak-ng-data installed?)";
        return std::nullopt;
    }
    espeak_SetSynthCallback(collectSamples);
    if (espeak_SetVoiceByName(japaneseVoice) != EE_OK) {
        espeak_Terminate();
        *error = "the speech library espeak-ng has no Japanese voice";
        return std::nullopt;
    }
    return SpeechSynthesizer(sampleRate);
}

SpeechSynthesizer::SpeechSynthesizer(int sampleRate)
    : m_sampleRate(sampleRate)
{}

SpeechSynthesizer::SpeechSynthesizer(SpeechSynthesizer &&other) noexcept
    : m_sampleRate(std::exchange(other.m_sampleRate, 0))
{}

SpeechSynthesizer::~SpeechSynthesizer()
{
    if (m_sampleRate > 0)
        espeak_Terminate();
}

std::optional<std::vector<std::int16_t>> SpeechSynthesizer::synthesize(
    QStringView text, int speedPercent, const std::function<bool()> &abandon)
{
    if (m_sampleRate <= 0)
        return std::vector<std::int16_t>{};
    Collector collector{{}, abandon};
    // Speeds beyond the library's own range go through its time stretching (libsonic).
    espeak_SetParameter(espeakRATE, normalWordsPerMinute * speedPercent / 100, 0);
    const QByteArray utf8 = text.toUtf8();
    const espeak_ERROR result = espeak_Synth(utf8.constData(),
                                             static_cast<std::size_t>(utf8.size()) + 1,
                                             0,
                                             POS_CHARACTER,
                                             0,
                                             espeakCHARS_UTF8,
                                             nullptr,
                                             &collector);
    if (collector.abandoned)
        return std::nullopt;
    if (result != EE_OK)
        collector.samples.clear();
    return std::move(collector.samples);
}
