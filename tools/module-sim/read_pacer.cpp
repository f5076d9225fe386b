#include "read_pacer.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t microsPerSecond = 1000000;

} // namespace

ReadPacer::ReadPacer(std::int64_t bytesPerSecond)
    : m_rate(std::max<std::int64_t>(bytesPerSecond, 0))
    , m_credit(burstBytes() * microsPerSecond)
{}

std::int64_t ReadPacer::burstBytes() const
{
    return std::max<std::int64_t>(1, m_rate * burstMicros / microsPerSecond);
}

std::int64_t ReadPacer::creditAt(std::int64_t nowMicros) const
{
    const std::int64_t elapsed = std::max<std::int64_t>(0, nowMicros - m_creditMicros);
    // Bursts are at most 100,000 bytes (10 ms at the highest rate): no overflow below.
    const std::int64_t cap = burstBytes() * microsPerSecond;
    if (elapsed >= burstMicros + microsPerSecond)
        return cap;
    return std::min(cap, m_credit + elapsed * m_rate);
}

std::int64_t ReadPacer::allowance(std::int64_t nowMicros)
{
    if (!isLimited())
        return std::numeric_limits<std::int64_t>::max();
    m_credit = creditAt(nowMicros);
    m_creditMicros = std::max(m_creditMicros, nowMicros);
    return m_credit / microsPerSecond;
}

void ReadPacer::took(std::int64_t bytes, std::int64_t asked)
{
    if (!isLimited())
        return;
    m_credit = std::max<std::int64_t>(0, m_credit - bytes * microsPerSecond);
    m_backedUp = bytes >= asked;
}

std::optional<std::int64_t> ReadPacer::resumeMicros(std::int64_t nowMicros) const
{
    if (!isLimited())
        return std::nullopt;
    const std::int64_t needed = (m_backedUp ? burstBytes() : 1) * microsPerSecond;
    if (creditAt(nowMicros) >= needed)
        return std::nullopt;
    // Credit grows by m_rate millionths of a byte each microsecond from m_creditMicros.
    return m_creditMicros + (needed - m_credit + m_rate - 1) / m_rate;
}
