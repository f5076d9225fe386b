#pragma once

#include <cstdint>
#include <optional>

// The --byte-rate fault: the module takes bytes off the line no faster than a real serial line
// delivers them, so a console that writes faster sees its own output back up. It has no I/O of
// its own: the poll loop asks how many bytes it may read now, reports what it read, and leaves
// the terminal unread until resumeMicros() says so.
//
// Credit for reading grows at the byte rate and is capped at one burst, the bytes the line
// delivers in burstMicros, so an idle line does not save up credit for a flood later. While
// bytes are backed up, reading resumes only when a whole burst is due (about a hundred reads a
// second); otherwise it resumes as soon as one byte is due, so a short command is read at once.
class ReadPacer
{
public:
    static constexpr std::int64_t burstMicros = 10000;

    // bytesPerSecond 0 sets no limit.
    explicit ReadPacer(std::int64_t bytesPerSecond);

    bool isLimited() const { return m_rate > 0; }

    // How many bytes may be read at this moment; without a limit, as many as there are.
    std::int64_t allowance(std::int64_t nowMicros);

    // Records a read: `bytes` were taken of the `asked` that allowance() and the buffer gave
    // room for; a read that got all it asked for leaves bytes backed up.
    void took(std::int64_t bytes, std::int64_t asked);

    // When reading may go on, if it must wait now; nothing when it may read at once.
    std::optional<std::int64_t> resumeMicros(std::int64_t nowMicros) const;

private:
    std::int64_t creditAt(std::int64_t nowMicros) const;
    std::int64_t burstBytes() const;

    std::int64_t m_rate;
    // Credit in millionths of a byte, as of m_creditMicros; starts full.
    std::int64_t m_credit;
    std::int64_t m_creditMicros = 0;
    bool m_backedUp = false;
};
