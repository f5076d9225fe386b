#include "simulated_line.h"

SimulatedLine::SimulatedLine(const Setup &setup)
    : m_setup(setup)
    , m_model(setup.model)
    , m_faults(setup.faults, setup.seed)
    , m_random(setup.seed + 1)
{
    m_output.setTrickleMs(setup.faults.trickleMs);
}

void SimulatedLine::write(const QByteArray &bytes, std::int64_t nowMs)
{
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\r', start);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArray piece = bytes.sliced(start, end - start);
        start = end;
        const bool busy = m_model.isBusy(nowMs);
        const bool latchedBefore = m_model.errorLatched();
        const QList<QByteArray> answers = m_model.receive(piece, nowMs);
        if (piece.endsWith('\r') && piece.size() > 1) {
            // A quiet module answers nothing: a refusal shows as a latch, or as the idle
            // time not moving for a command that makes the module busy.
            const bool refused
                = answers.contains("?\r") || (!latchedBefore && m_model.errorLatched());
            m_taken.append({piece.chopped(1), nowMs, busy, refused, m_model.busyUntilMs()});
        }
        for (const QByteArray &answer : answers)
            for (int copy = m_faults.copies(answer); copy > 0; --copy)
                push(answer, nowMs);
    }
}

void SimulatedLine::push(const QByteArray &answer, std::int64_t nowMs)
{
    std::int64_t delay = m_setup.delayMs;
    if (m_setup.jitterMaxMs > 0) {
        std::uniform_int_distribution<std::int64_t> jitter(m_setup.jitterMinMs,
                                                           m_setup.jitterMaxMs);
        delay += jitter(m_random);
    }
    m_output.push(answer, nowMs + delay);
}

QByteArray SimulatedLine::read(std::int64_t nowMs)
{
    if (m_faults.unaskedDue(nowMs)) {
        const QByteArray status = m_model.statusNow(nowMs);
        if (!status.isEmpty())
            push(status, nowMs);
    }
    QByteArray arrived;
    while (const std::optional<QByteArray> piece = m_output.takeDue(nowMs))
        arrived += *piece;
    return arrived;
}
