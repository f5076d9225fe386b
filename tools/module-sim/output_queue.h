#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>

// The answers waiting to be written to the console, in order, each with the time it is due.
// Normally an answer is one piece, due at once. In split mode an answer of two or more bytes
// becomes two pieces: the first half of its bytes at once and the rest a little later, so that
// the console receives it in two events. A piece never goes out before the pieces queued
// ahead of it.
class OutputQueue
{
public:
    static constexpr std::int64_t defaultSplitDelayMs = 40;

    explicit OutputQueue(bool split = false, std::int64_t splitDelayMs = defaultSplitDelayMs);

    void push(const QByteArray &answer, std::int64_t nowMs);
    // From now on every answer goes a byte at a time, this long apart (0: in one piece).
    void setTrickleMs(std::int64_t trickleMs) { m_trickleMs = trickleMs; }

    bool isEmpty() const { return m_pieces.isEmpty(); }

    // When the first piece is due, if there is one.
    std::optional<std::int64_t> nextDueMs() const;

    // Removes and returns the first piece if it is due at nowMs, else returns nothing.
    std::optional<QByteArray> takeDue(std::int64_t nowMs);

    // Puts the unwritten rest of a piece back in front, due at once.
    void putBack(const QByteArray &rest, std::int64_t nowMs);

private:
    struct Piece
    {
        std::int64_t dueMs;
        QByteArray bytes;
    };

    bool m_split;
    std::int64_t m_trickleMs = 0;
    std::int64_t m_splitDelayMs;
    QList<Piece> m_pieces;
};
