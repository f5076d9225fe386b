#include "voice.h"

#include "audio_output.h"
#include "chime_tones.h"
#include "speech_synthesizer.h"
#include "wav_file.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Samples are handed to the output in pieces this long, so that a stop is heard within about
// that time even while the output's buffer has room for much more.
constexpr std::int64_t pieceMicros = 50000;
// How much lower than the poll loop the voice's thread runs.
constexpr int voiceNice = 5;
// The rate chimes are made at when the speech library did not start.
constexpr int chimeOnlySampleRate = 22050;

void warn(const QString &message)
{
    std::fprintf(stderr, "parlino-sim: %s\n", qPrintable(message));
}

std::int64_t lengthMicros(std::size_t sampleCount, int sampleRate)
{
    return static_cast<std::int64_t>(sampleCount) * 1000000 / sampleRate;
}

} // namespace

Voice::Voice(const Setup &setup)
    : m_setup(setup)
{
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_readyRead.reset(fds[0]);
        m_readyWrite.reset(fds[1]);
    }
    m_thread = std::thread(&Voice::run, this);
}

Voice::~Voice()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool Voice::waitUntilReady(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_wake.wait_for(lock, timeout, [&] { return m_ready; });
}

QString Voice::wavFileName(std::int64_t id)
{
    return QString("%1.wav").arg(id, 4, 10, QChar(u'0'));
}

void Voice::submit(const SoundRequest &request)
{
    {
        const std::lock_guard lock(m_mutex);
        if (request.kind == SoundRequest::Kind::Stop)
            m_cutThrough = std::max(m_cutThrough.load(), request.id);
        else
            m_queue.push_back(request);
    }
    m_wake.notify_all();
}

QList<Voice::Report> Voice::takeReports()
{
    char drain[64];
    while (::read(m_readyRead.get(), drain, sizeof drain) > 0) {
    }
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_reports, {});
}

std::int64_t Voice::nowMicros() const
{
    const auto elapsed = std::chrono::steady_clock::now() - m_setup.start;
    return std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
}

void Voice::report(const Report &report)
{
    {
        const std::lock_guard lock(m_mutex);
        m_reports.append(report);
    }
    const char ready = 1;
    // A full pipe already wakes the poll loop; nothing is lost by a byte not written.
    [[maybe_unused]] const ssize_t written = ::write(m_readyWrite.get(), &ready, 1);
}

bool Voice::isCut(std::int64_t id) const
{
    return m_quit || id <= m_cutThrough;
}

void Voice::run()
{
    // Answers to the console come first: on a busy machine the poll loop wins the processor
    // over synthesis. (Linux keeps a nice value for each thread.)
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), voiceNice);
    QString error;
    std::optional<SpeechSynthesizer> synthesizer = SpeechSynthesizer::create(&error);
    if (!synthesizer)
        warn(error + "; lines are timed by their length without speech");
    const int sampleRate = synthesizer ? synthesizer->sampleRate() : chimeOnlySampleRate;
    std::optional<AudioOutput> output;
    if (m_setup.play) {
        output = AudioOutput::open(sampleRate, &error);
        if (!output)
            warn(error + "; --voice goes on timing speech without playing it");
    }
    {
        const std::lock_guard lock(m_mutex);
        m_ready = true;
    }
    m_wake.notify_all();

    for (;;) {
        SoundRequest sound;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_quit || !m_queue.empty(); });
            if (m_quit)
                return;
            sound = m_queue.front();
            m_queue.pop_front();
        }
        // The sound starts with its first piece: played at once, kept whole for the WAV file
        // and for its length.
        std::vector<std::int16_t> samples;
        std::optional<std::int64_t> startMicros;
        bool playing = output.has_value();
        const auto takePiece = [&](std::span<const std::int16_t> piece) {
            if (!startMicros)
                startMicros = nowMicros();
            samples.insert(samples.end(), piece.begin(), piece.end());
            playing = playing && playPiece(*output, sound.id, piece, sampleRate);
            // A stop leaves the line to be made whole, for its WAV file; leaving the program
            // does not wait for a long line.
            return !m_quit;
        };
        if (sound.kind == SoundRequest::Kind::Chime) {
            takePiece(chimeSamples(sound.chime, sampleRate));
        } else if (synthesizer) {
            const auto outcome = synthesizer->synthesize(sound.text, sound.speed, takePiece);
            if (outcome == SpeechSynthesizer::Outcome::Abandoned)
                return;
        }

        Report done;
        done.id = sound.id;
        done.startMicros = startMicros.value_or(nowMicros());
        if (samples.empty()) {
            done.lengthMicros = sound.fallbackMs * 1000;
        } else {
            done.lengthMicros = lengthMicros(samples.size(), sampleRate);
            if (!m_setup.wavFolder.isEmpty()) {
                const QString path = QDir(m_setup.wavFolder).filePath(wavFileName(sound.id));
                if (!writeWavFile(path, samples, sampleRate, &error))
                    warn(error);
            }
        }
        report(done);
        if (playing)
            playToEnd(*output, sound.id, done.startMicros + done.lengthMicros);
    }
}

bool Voice::playPiece(AudioOutput &output,
                      std::int64_t id,
                      std::span<const std::int16_t> samples,
                      int sampleRate)
{
    const std::size_t piece = static_cast<std::size_t>(sampleRate * pieceMicros / 1000000);
    for (std::size_t at = 0; at < samples.size(); at += piece) {
        if (isCut(id)) {
            output.flush();
            return false;
        }
        if (!output.write(samples.subspan(at, std::min(piece, samples.size() - at))))
            return false;
    }
    return true;
}

void Voice::playToEnd(AudioOutput &output, std::int64_t id, std::int64_t endMicros)
{
    std::unique_lock lock(m_mutex);
    const auto end = m_setup.start + std::chrono::microseconds(endMicros);
    if (m_wake.wait_until(lock, end, [&] { return isCut(id); })) {
        lock.unlock();
        output.flush();
    }
}
