#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// Japanese speech from libespeak-ng, as 16-bit mono samples handed over in short pieces as they
// are made. The library keeps global state, so there is at most one synthesizer in the process
// and it is used from one thread only.
class SpeechSynthesizer
{
public:
    // The voice's normal rate in words a minute; speed 100 % speaks at this rate.
    static constexpr int normalWordsPerMinute = 175;

    // Loads the library's data and the Japanese voice; on failure returns nothing and sets
    // *error.
    static std::optional<SpeechSynthesizer> create(QString *error);

    SpeechSynthesizer(SpeechSynthesizer &&other) noexcept;
    SpeechSynthesizer &operator=(SpeechSynthesizer &&) = delete;
    ~SpeechSynthesizer();

    int sampleRate() const { return m_sampleRate; }

    // Pieces of audio no longer than this, the first one as soon as it is made.
    static constexpr int pieceMs = 20;

    enum class Outcome { Done, Failed, Abandoned };
    using PieceTaker = std::function<bool(std::span<const std::int16_t> samples)>;

    // Speaks the text at speedPercent of the normal rate (50 to 300), handing each piece of
    // audio to takePiece as soon as it is made; takePiece returns false to abandon the rest.
    Outcome synthesize(QStringView text, int speedPercent, const PieceTaker &takePiece);

private:
    explicit SpeechSynthesizer(int sampleRate);

    int m_sampleRate = 0; // 0 once moved from
};
