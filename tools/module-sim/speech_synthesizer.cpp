#include "speech_synthesizer.h"

#include <espeak-ng/speak_lib.h>

#include <QByteArray>
#include <utility>

namespace {

constexpr const char *japaneseVoice = "ja";

// Where the pieces of one synthesis go, passed to the library as its user data.
struct Passer
{
    const SpeechSynthesizer::PieceTaker &takePiece;
    bool abandoned = false;
};

int passSamples(short *samples, int count, espeak_EVENT *events)
{
    auto *passer = static_cast<Passer *>(events->user_data);
    if (!passer)
        return 0;
    if (!passer->abandoned && samples && count > 0)
        passer->abandoned
            = !passer->takePiece(std::span<const std::int16_t>(samples, std::size_t(count)));
    return passer->abandoned ? 1 : 0; // 1 stops the synthesis
}

} // namespace

std::optional<SpeechSynthesizer> SpeechSynthesizer::create(QString *error)
{
    // DONT_EXIT: a missing data file is reported, not a reason for the library to end us.
    // The library fills a buffer of pieceMs before it hands anything over: a short one lets
    // the first samples out while the rest of the line is still to be made.
    const int sampleRate
        = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, pieceMs, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (sampleRate <= 0) {
        *error = "the speech library espeak-ng cannot start (is espeak-ng-data installed?)";
        return std::nullopt;
    }
    espeak_SetSynthCallback(passSamples);
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

SpeechSynthesizer::Outcome
SpeechSynthesizer::synthesize(QStringView text, int speedPercent, const PieceTaker &takePiece)
{
    if (m_sampleRate <= 0)
        return Outcome::Failed;
    Passer passer{takePiece};
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
                                             &passer);
    if (passer.abandoned)
        return Outcome::Abandoned;
    return result == EE_OK ? Outcome::Done : Outcome::Failed;
}
