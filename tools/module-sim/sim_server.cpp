#include "sim_server.h"

#include "byte_log.h"
#include "stop_signals.h"
#include "voice.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::size_t chunkSize = 4096;
// What one pass of the loop writes of a flood at most, before it looks for commands again.
constexpr qsizetype floodPassBytes = 64 * 1024;

void reportError(const char *what)
{
    std::fprintf(stderr, "parlino-sim: %s: %s\n", what, std::strerror(errno));
}

} // namespace

SimServer::SimServer(const Setup &setup)
    : m_setup(setup)
    , m_model(setup.model)
    , m_output(setup.split)
    , m_faults(setup.faults, std::random_device{}())
    , m_flood(setup.flood)
    , m_pacer(setup.byteRate)
{
    m_output.setTrickleMs(setup.faults.trickleMs);
}

void SimServer::pushAnswer(QByteArray answer, std::int64_t nowMs)
{
    if (answer.endsWith('\r'))
        answer = answer.chopped(1) + m_setup.replyEnd;
    m_output.push(answer, nowMs + replyDelayMs());
}

void SimServer::sendUnaskedStatus()
{
    const std::int64_t nowMs = nowMicros() / 1000;
    if (!m_faults.unaskedDue(nowMs))
        return;
    if (const QByteArray status = m_model.statusNow(nowMs); !status.isEmpty())
        pushAnswer(status, nowMs);
}

std::int64_t SimServer::replyDelayMs()
{
    if (m_setup.jitterMaxMs == 0)
        return m_setup.replyDelayMs;
    // The output queue keeps answers in order: one drawn earlier than the answer before it
    // waits for that one, as a module answering in order does.
    std::uniform_int_distribution<std::int64_t> jitter(m_setup.jitterMinMs, m_setup.jitterMaxMs);
    return m_setup.replyDelayMs + jitter(m_random);
}

std::int64_t SimServer::nowMicros() const
{
    const auto elapsed = std::chrono::steady_clock::now() - m_setup.start;
    return std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
}

int SimServer::pollTimeoutMs()
{
    const std::int64_t now = nowMicros();
    std::optional<std::int64_t> wakeMicros;
    if (const std::optional<std::int64_t> due = m_output.nextDueMs(); due && !m_writeBlocked)
        wakeMicros = *due * 1000;
    if (const std::optional<std::int64_t> flood = m_flood.nextWakeMicros(now))
        wakeMicros = wakeMicros ? std::min(*wakeMicros, *flood) : *flood;
    if (const std::optional<std::int64_t> resume = m_pacer.resumeMicros(now))
        wakeMicros = wakeMicros ? std::min(*wakeMicros, *resume) : *resume;
    if (const std::optional<std::int64_t> unasked = m_faults.nextUnaskedMs(now / 1000))
        wakeMicros = wakeMicros ? std::min(*wakeMicros, *unasked * 1000) : *unasked * 1000;
    if (!wakeMicros)
        return -1;
    const std::int64_t waitMicros = *wakeMicros - now;
    return waitMicros <= 0 ? 0 : static_cast<int>((waitMicros + 999) / 1000);
}

int SimServer::run()
{
    for (;;) {
        const std::int64_t now = nowMicros();
        const bool wantWrite = m_writeBlocked || m_flood.isActive(now);
        const bool wantRead = !m_pacer.resumeMicros(now);
        pollfd fds[] = {
            {m_setup.master,
             static_cast<short>((wantRead ? POLLIN : 0) | (wantWrite ? POLLOUT : 0)),
             0},
            {m_setup.stop->fd(), POLLIN, 0},
            {m_setup.inputFd, POLLIN, 0}, // a negative fd is skipped by poll()
            {m_setup.voice ? m_setup.voice->readyFd() : -1, POLLIN, 0},
        };
        if (::poll(fds, std::size(fds), pollTimeoutMs()) < 0) {
            if (errno == EINTR)
                continue;
            reportError("poll");
            return 1;
        }
        const short master = fds[0].revents;
        if ((fds[1].revents & POLLIN) && m_setup.stop->take() != 0)
            return 0;
        if (fds[2].revents != 0 && !readInput())
            return 0;
        if (fds[3].revents & POLLIN)
            takeVoiceReports();
        if ((master & POLLIN) && !readMaster())
            return 1;
        if ((master & (POLLHUP | POLLERR | POLLNVAL)) && !(master & POLLIN)) {
            std::fprintf(stderr, "parlino-sim: the pseudo-terminal hung up\n");
            return 1;
        }
        if (master & POLLOUT)
            m_writeBlocked = false;
        sendUnaskedStatus();
        if (!writeDue() || !writeFlood())
            return 1;
        logFloodSummary();
    }
}

bool SimServer::readMaster()
{
    char buffer[chunkSize];
    for (;;) {
        const std::int64_t allowed = m_pacer.allowance(nowMicros());
        if (allowed <= 0)
            return true; // the pacer says when to read on
        const std::size_t asked = static_cast<std::size_t>(
            std::min<std::int64_t>(allowed, static_cast<std::int64_t>(sizeof buffer)));
        const ssize_t count = ::read(m_setup.master, buffer, asked);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_pacer.took(0, static_cast<std::int64_t>(asked));
            return true;
        }
        if (count < 0) {
            reportError("read");
            return false;
        }
        if (count == 0)
            return true;
        m_pacer.took(count, static_cast<std::int64_t>(asked));
        const std::int64_t micros = nowMicros();
        m_flood.start(micros);
        const QByteArrayView chunk(buffer, count);
        m_setup.log->record(micros, LogDirection::In, chunk);
        for (const QByteArray &answer : m_model.receive(chunk, micros / 1000)) {
            for (int copy = m_faults.copies(answer); copy > 0; --copy)
                pushAnswer(answer, micros / 1000);
        }
        handOverSounds(micros);
    }
}

void SimServer::handOverSounds(std::int64_t micros)
{
    for (const SoundRequest &sound : m_model.takeSoundRequests()) {
        if (sound.kind == SoundRequest::Kind::Stop)
            m_setup.log->recordAudioCut(micros, sound.id);
        if (m_setup.voice)
            m_setup.voice->submit(sound);
    }
}

void SimServer::takeVoiceReports()
{
    for (const Voice::Report &report : m_setup.voice->takeReports()) {
        const std::int64_t endMicros = report.startMicros + report.lengthMicros;
        m_model.soundTimed(report.id, (endMicros + 999) / 1000);
        m_setup.log->recordAudio(nowMicros(), report.id, report.startMicros, report.lengthMicros);
    }
}

bool SimServer::writeDue()
{
    if (m_writeBlocked)
        return true;
    for (;;) {
        const std::int64_t micros = nowMicros();
        const std::optional<QByteArray> piece = m_output.takeDue(micros / 1000);
        if (!piece)
            return true;
        const ssize_t count = ::write(m_setup.master, piece->constData(), piece->size());
        if (count < 0 && errno == EINTR) {
            m_output.putBack(*piece, micros / 1000);
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The console is not reading; wait until the terminal takes bytes again.
            m_output.putBack(*piece, micros / 1000);
            m_writeBlocked = true;
            return true;
        }
        if (count < 0) {
            reportError("write");
            return false;
        }
        m_setup.log->record(micros, LogDirection::Out, piece->first(count));
        if (count < piece->size()) {
            m_output.putBack(piece->sliced(count), micros / 1000);
            m_writeBlocked = true;
            return true;
        }
    }
}

bool SimServer::writeFlood()
{
    // Answers go first: a flood byte never overtakes an answer that is due.
    if (m_writeBlocked)
        return true;
    for (qsizetype written = 0; written < floodPassBytes && m_flood.isActive(nowMicros());) {
        const QByteArray block = m_flood.nextBlock(chunkSize);
        const ssize_t count = ::write(m_setup.master, block.constData(), block.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true; // the terminal is full; poll() says when it takes bytes again
        if (count < 0) {
            reportError("write");
            return false;
        }
        m_flood.sent(count);
        written += count;
        if (count < block.size())
            return true;
    }
    return true;
}

void SimServer::logFloodSummary()
{
    if (const std::optional<std::int64_t> bytes = m_flood.takeSummary(nowMicros()))
        m_setup.log->recordFlood(nowMicros(), *bytes);
}

bool SimServer::readInput()
{
    char buffer[chunkSize];
    const ssize_t count = ::read(m_setup.inputFd, buffer, sizeof buffer);
    if (count == 0)
        return false; // end of input: whoever started us wants us gone
    if (count < 0 && errno != EINTR && errno != EAGAIN)
        m_setup.inputFd = -1; // not readable at all: stop watching it
    return true;
}
