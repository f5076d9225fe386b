#include "flood_source.h"

#include <algorithm>
#include <utility>

FloodSource::FloodSource(Limits limits)
    : m_limits(limits)
    , m_random(QRandomGenerator::global()->generate())
{}

void FloodSource::start(std::int64_t nowMicros)
{
    if (m_started || !isConfigured())
        return;
    m_started = true;
    m_startMicros = nowMicros;
    m_lastSummaryMicros = nowMicros;
}

bool FloodSource::isActive(std::int64_t nowMicros) const
{
    if (!m_started)
        return false;
    if (m_limits.durationMs > 0 && nowMicros >= m_startMicros + m_limits.durationMs * 1000)
        return false;
    return m_limits.byteLimit == 0 || m_total < m_limits.byteLimit;
}

QByteArray FloodSource::nextBlock(qsizetype maxBytes)
{
    qsizetype size = maxBytes;
    if (m_limits.byteLimit > 0)
        size = static_cast<qsizetype>(std::min<std::int64_t>(size, m_limits.byteLimit - m_total));
    if (size <= 0)
        return {};
    // Whole 32-bit words from the generator, cut to the size asked for.
    QByteArray block((size + 3) / 4 * 4, Qt::Uninitialized);
    auto *words = reinterpret_cast<quint32 *>(block.data());
    m_random.fillRange(words, block.size() / 4);
    block.truncate(size);
    return block;
}

std::optional<std::int64_t> FloodSource::takeSummary(std::int64_t nowMicros)
{
    if (m_pending == 0)
        return std::nullopt;
    if (isActive(nowMicros) && nowMicros < m_lastSummaryMicros + summaryPeriodMicros)
        return std::nullopt;
    m_lastSummaryMicros = nowMicros;
    return std::exchange(m_pending, 0);
}

std::optional<std::int64_t> FloodSource::nextWakeMicros(std::int64_t nowMicros) const
{
    if (!isActive(nowMicros))
        return m_pending > 0 ? std::optional<std::int64_t>(nowMicros) : std::nullopt;
    std::optional<std::int64_t> wake;
    if (m_pending > 0)
        wake = m_lastSummaryMicros + summaryPeriodMicros;
    if (m_limits.durationMs > 0) {
        const std::int64_t end = m_startMicros + m_limits.durationMs * 1000;
        wake = wake ? std::min(*wake, end) : end;
    }
    return wake;
}
