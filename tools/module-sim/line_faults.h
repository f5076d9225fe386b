#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <random>

// Faults of the path between the module and the console, for the simulator and for the
// model check of the console's pump: status answers lost on the way (every Nth, or each with
// a chance) or sent twice, status sent without being asked, at a steady interval. Answers that are
// not status (acknowledgements, the version) always arrive.
struct LineFaultSettings
{
    int loseEvery = 0;       // every Nth status answer is lost (2: every other); 0: none
    int losePercent = 0;     // each status answer is lost with this chance, 0 to 100
    int unaskedStatusMs = 0; // status sent unasked this often; 0: never
    int trickleMs = 0;       // each byte of an answer this long after the one before; 0: at once
    int repeatPercent = 0;   // each status answer sent twice with this chance
};

class LineFaults
{
public:
    explicit LineFaults(LineFaultSettings settings = {}, std::uint64_t seed = 1);

    // How many times this answer reaches the console: 0 when lost, 2 when repeated.
    int copies(const QByteArray &answer);
    // When the next unasked status is due, if the module sends any.
    std::optional<std::int64_t> nextUnaskedMs(std::int64_t nowMs);
    // True, once per interval, when an unasked status is due at nowMs.
    bool unaskedDue(std::int64_t nowMs);
    const LineFaultSettings &settings() const { return m_settings; }
    // Status answers lost so far.
    std::int64_t lost() const { return m_lost; }

private:
    LineFaultSettings m_settings;
    std::mt19937_64 m_random;
    std::int64_t m_statusCount = 0;
    std::int64_t m_lost = 0;
    std::optional<std::int64_t> m_nextUnaskedMs;
};
