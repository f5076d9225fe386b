#include "line_faults.h"

LineFaults::LineFaults(LineFaultSettings settings, std::uint64_t seed)
    : m_settings(settings)
    , m_random(seed)
{}

int LineFaults::copies(const QByteArray &answer)
{
    if (!answer.startsWith("stt"))
        return 1;
    ++m_statusCount;
    bool lose = m_settings.loseEvery > 0 && m_statusCount % m_settings.loseEvery == 0;
    if (!lose && m_settings.losePercent > 0) {
        std::uniform_int_distribution<int> percent(0, 99);
        lose = percent(m_random) < m_settings.losePercent;
    }
    if (lose) {
        ++m_lost;
        return 0;
    }
    std::uniform_int_distribution<int> percent(0, 99);
    return m_settings.repeatPercent > 0 && percent(m_random) < m_settings.repeatPercent ? 2 : 1;
}

std::optional<std::int64_t> LineFaults::nextUnaskedMs(std::int64_t nowMs)
{
    if (m_settings.unaskedStatusMs <= 0)
        return std::nullopt;
    if (!m_nextUnaskedMs)
        m_nextUnaskedMs = nowMs + m_settings.unaskedStatusMs;
    return m_nextUnaskedMs;
}

bool LineFaults::unaskedDue(std::int64_t nowMs)
{
    const std::optional<std::int64_t> due = nextUnaskedMs(nowMs);
    if (!due || nowMs < *due)
        return false;
    m_nextUnaskedMs = nowMs + m_settings.unaskedStatusMs;
    return true;
}
