#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <cstdint>
#include <optional>

// The --flood and --flood-bytes fault: random bytes to the console as fast as the terminal takes
// them, starting with the first byte the console sends, until a time has passed since then or a
// number of bytes has gone out, whichever comes first. It has no I/O of its own: the poll loop
// asks it for bytes, tells it how many the terminal took, and logs its summaries, one for each
// second of flooding, so that the byte log stays small.
class FloodSource
{
public:
    struct Limits
    {
        std::int64_t durationMs = 0; // how long the flood lasts; 0: no time limit
        std::int64_t byteLimit = 0;  // how many bytes it sends in all; 0: no byte limit
    };

    static constexpr std::int64_t summaryPeriodMicros = 1000000;

    explicit FloodSource(Limits limits);

    // True when either limit was given, that is when there is a flood to send at all.
    bool isConfigured() const { return m_limits.durationMs > 0 || m_limits.byteLimit > 0; }

    // Called for every received chunk; the first call of a configured flood starts it.
    void start(std::int64_t nowMicros);

    // True while the flood has bytes to send at this time.
    bool isActive(std::int64_t nowMicros) const;

    // Up to maxBytes fresh random bytes, never more than the byte limit leaves.
    QByteArray nextBlock(qsizetype maxBytes);

    // Counts the bytes the terminal took.
    void sent(qsizetype count)
    {
        m_total += count;
        m_pending += count;
    }

    std::int64_t totalSent() const { return m_total; }

    // The number of bytes sent since the last summary, when a summary is due: a second after
    // the previous one, or at once when the flood is over. Nothing when none is due.
    std::optional<std::int64_t> takeSummary(std::int64_t nowMicros);

    // When the loop must wake up next for the flood's sake (its end or a summary), if ever.
    std::optional<std::int64_t> nextWakeMicros(std::int64_t nowMicros) const;

private:
    Limits m_limits;
    QRandomGenerator m_random;
    bool m_started = false;
    std::int64_t m_startMicros = 0;
    std::int64_t m_lastSummaryMicros = 0;
    std::int64_t m_total = 0;
    std::int64_t m_pending = 0;
};
