// sim-voice-bench: the simulator's voice (--voice --wav) measured from outside, as a console
// sees it, one run per call. Prints "key value" lines for bench/run:
//   voice_latency_ms       from a MSG line's arrival to the start of its audio, its first samples
//                          handed to the output (the simulator's log: the IN record that brought
//                          the line's CR, the AUDIO record's start)
//   voice_cpu_percent      the simulator's CPU while it speaks that line, % of a core
//   chartimed_cpu_percent  the same without --voice, timed per character: the reference
//   stt_idle_median_ms, stt_idle_max_ms
//                          STT round trips while idle, as many as the next figure took
//   stt_synthesis_median_ms, stt_synthesis_max_ms
//                          STT round trips while a long line is being synthesised
//   long_line_latency_ms   from that long line's arrival to the start of its audio
//   long_line_audio_s      how long its audio is
#include "cpu_clock.h"
#include "report.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The line measured: about three seconds of speech.
const QString spokenLine = QStringLiteral("MSGひらがなや、かたかなで、にほんごを はなします。");
// The long line: about 4,000 kana, several minutes of speech.
const QString longPhrase = QStringLiteral("あいうえおかきくけこさしすせそたちつてと、");
constexpr int longRepeats = 190;
constexpr int timeoutMs = 60000;
constexpr int pollGapMicros = 2000;
constexpr int pumpTickMicros = 100000;

// One parlino-sim and the console's end of its terminal, in raw mode.
class Sim
{
public:
    Sim(const QString &logPath, const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(PARLINO_SIM_PATH),
                        QStringList{QStringLiteral("--log"), logPath} + arguments);
        while (m_process.waitForReadyRead(5000) && !m_process.canReadLine()) {
        }
        const QByteArray path = m_process.readLine().trimmed();
        m_fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios settings{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    ~Sim()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }

    bool isOpen() const { return m_fd >= 0; }

    // Writes a line and returns the answer up to its CR.
    QByteArray ask(const QByteArray &line)
    {
        for (qsizetype done = 0; done < line.size();) {
            const ssize_t count = ::write(m_fd, line.constData() + done, line.size() - done);
            if (count < 0 && errno != EINTR)
                return {};
            done += std::max<ssize_t>(count, 0);
        }
        QByteArray answer;
        while (!answer.endsWith('\r')) {
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, timeoutMs) <= 0)
                return answer;
            char buffer[256];
            const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
            if (count <= 0)
                return answer;
            answer.append(buffer, count);
        }
        return answer;
    }

    // Polls STT every 100 ms, as the console's pump does, until it is no longer "stt 1".
    void waitWhileBusy()
    {
        const double end = wallSeconds() + timeoutMs / 1000.0;
        while (ask("STT\r") == "stt 1\r" && wallSeconds() < end)
            ::usleep(pumpTickMicros);
    }

    // The simulator's CPU time so far, all its threads, in seconds: the scheduler's own count
    // in nanoseconds, where /proc/PID/stat counts 10 ms ticks.
    double cpuSeconds() const
    {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(m_process.processId());
        double seconds = 0;
        for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks + '/' + task + QStringLiteral("/schedstat"));
            if (stat.open(QIODevice::ReadOnly))
                seconds += double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
        }
        return seconds;
    }

private:
    QProcess m_process;
    int m_fd = -1;
};

QByteArray cp932Line(const QString &text)
{
    QStringEncoder encoder("CP932");
    return QByteArray(encoder.encode(text)) + '\r';
}

// From the simulator's log: when the last MSG line was wholly received, and the last sound.
struct LogTimes
{
    double msgReceived = -1; // the IN record that brought the line's CR
    int sounds = 0;
    double audioStart = -1;
    double audioLength = -1;
};

LogTimes readLogTimes(const QString &path)
{
    LogTimes times;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return times;
    QByteArray received; // the command line being received
    for (const QByteArray &line : file.readAll().split('\n')) {
        // The fields end where the record's text column starts, at a tab.
        const qsizetype tab = line.indexOf('\t');
        const QList<QByteArray> fields = (tab < 0 ? line : line.first(tab)).split(' ');
        if (fields.value(1) == "IN") {
            for (const QByteArray &hex : fields.mid(2)) {
                const char byte = char(hex.toUInt(nullptr, 16));
                if (byte != '\r') {
                    received += byte;
                    continue;
                }
                if (received.startsWith("MSG"))
                    times.msgReceived = fields[0].toDouble();
                received.clear();
            }
        }
        if (fields.value(1) == "AUDIO" && fields.size() == 5) {
            ++times.sounds;
            times.audioStart = fields[3].toDouble();
            times.audioLength = fields[4].toDouble();
        }
    }
    return times;
}

// One STT round trip, in seconds.
double roundTrip(Sim &sim)
{
    const double sent = wallSeconds();
    sim.ask("STT\r");
    return wallSeconds() - sent;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Speaks the line and returns the simulator's CPU while it spoke, % of a core.
double speakingCpu(Sim &sim, const QByteArray &line)
{
    const double cpuBefore = sim.cpuSeconds();
    const double start = wallSeconds();
    if (sim.ask(line) != ">\r")
        return -1;
    sim.waitWhileBusy();
    return 100 * (sim.cpuSeconds() - cpuBefore) / (wallSeconds() - start);
}

} // namespace

int main()
{
    QTemporaryDir folder;
    const QString voiceLog = folder.filePath(QStringLiteral("voice.log"));
    const QStringList voiceArguments{
        QStringLiteral("--voice"), QStringLiteral("--wav"), folder.filePath(QStringLiteral("wav"))};
    {
        Sim sim(voiceLog, voiceArguments);
        if (!sim.isOpen())
            return 1;
        const double cpu = speakingCpu(sim, cp932Line(spokenLine));
        const LogTimes times = readLogTimes(voiceLog);
        report("voice_latency_ms", 1000 * (times.audioStart - times.msgReceived));
        report("voice_cpu_percent", cpu);

        if (sim.ask(cp932Line("MSG" + longPhrase.repeated(longRepeats))) != ">\r")
            return 1;
        // Polls until the audio's length is known, then stops the line.
        QList<double> busyTrips;
        const double end = wallSeconds() + timeoutMs / 1000.0;
        LogTimes longTimes;
        while ((longTimes = readLogTimes(voiceLog)).sounds < 2 && wallSeconds() < end) {
            busyTrips.append(roundTrip(sim));
            ::usleep(pollGapMicros);
        }
        sim.ask("CLR0\r");
        QList<double> idleTrips;
        while (idleTrips.size() < busyTrips.size()) {
            readLogTimes(voiceLog); // the same work between polls as above
            idleTrips.append(roundTrip(sim));
            ::usleep(pollGapMicros);
        }
        // Played on a sound card, the line is made as fast as it is heard, and its length is
        // known only once the stop let the rest be made.
        if (longTimes.sounds < 2)
            longTimes = readLogTimes(voiceLog);
        report("stt_idle_median_ms", 1000 * median(idleTrips));
        report("stt_idle_max_ms", 1000 * *std::max_element(idleTrips.begin(), idleTrips.end()));
        report("stt_synthesis_median_ms", 1000 * median(busyTrips));
        report("stt_synthesis_max_ms",
               1000 * *std::max_element(busyTrips.begin(), busyTrips.end()));
        report("long_line_latency_ms", 1000 * (longTimes.audioStart - longTimes.msgReceived));
        report("long_line_audio_s", longTimes.audioLength);
    }
    {
        Sim sim(folder.filePath(QStringLiteral("chars.log")), {});
        if (!sim.isOpen())
            return 1;
        report("chartimed_cpu_percent", speakingCpu(sim, cp932Line(spokenLine)));
    }
    return 0;
}
