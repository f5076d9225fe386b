#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Japanese speech from libespeak-ng, as 16-bit mono samples in memory. The library keeps global
// state, so there is at most one synthesizer in the process and it is used from one thread only.
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

    // The whole text spoken at speedPercent of the normal rate (50 to 300). Returns no samples
    // when the library fails, and nothing when `abandon` returns true, which is asked after each
    // piece of audio (a fifth of a second).
    std::optional<std::vector<std::int16_t>>
    synthesize(QStringView text, int speedPercent, const std::function<bool()> &abandon);

private:
    explicit SpeechSynthesizer(int sampleRate);

    int m_sampleRate = 0; // 0 once moved from
};
