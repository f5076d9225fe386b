#include "output_queue.h"

#include <algorithm>

OutputQueue::OutputQueue(bool split, std::int64_t splitDelayMs)
    : m_split(split)
    , m_splitDelayMs(splitDelayMs)
{}

void OutputQueue::push(const QByteArray &answer, std::int64_t nowMs)
{
    if (answer.isEmpty())
        return;
    const std::int64_t start
        = m_pieces.isEmpty() ? nowMs : std::max(nowMs, m_pieces.constLast().dueMs);
    if (m_trickleMs > 0) {
        for (qsizetype i = 0; i < answer.size(); ++i)
            m_pieces.append({start + i * m_trickleMs, answer.sliced(i, 1)});
    } else if (m_split && answer.size() >= 2) {
        const qsizetype half = answer.size() / 2;
        m_pieces.append({start, answer.first(half)});
        m_pieces.append({start + m_splitDelayMs, answer.sliced(half)});
    } else {
        m_pieces.append({start, answer});
    }
}

std::optional<std::int64_t> OutputQueue::nextDueMs() const
{
    if (m_pieces.isEmpty())
        return std::nullopt;
    return m_pieces.constFirst().dueMs;
}

std::optional<QByteArray> OutputQueue::takeDue(std::int64_t nowMs)
{
    if (m_pieces.isEmpty() || m_pieces.constFirst().dueMs > nowMs)
        return std::nullopt;
    return m_pieces.takeFirst().bytes;
}

void OutputQueue::putBack(const QByteArray &rest, std::int64_t nowMs)
{
    if (!rest.isEmpty())
        m_pieces.prepend({nowMs, rest});
}
