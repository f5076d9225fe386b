// Soak: what a line costs over a long run, at its start and at its end. A repeated scripted
// run against the simulator speaking fast (--char-ms), with --junit and --transcript, is
// sampled every second from outside: the console's CPU and memory, the lines it sent (from the
// transcript), the transcript's and the report's sizes. A run of 60 cases gives the
// reference. The window's own figure runs Repeat over a long send box in this process.
#include "bench_console.h"
#include "cpu_clock.h"
#include "event_wait.h"
#include "figures.h"
#include "kana_text.h"
#include "proc_status.h"
#include "report.h"
#include "sim_process.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

constexpr int sampleMs = 1000;
constexpr double windowSeconds = 60;
const QStringList threeLines{
    QStringLiteral("あいう"), QStringLiteral("かきく"), QStringLiteral("さしす")};

struct Sample
{
    double wall = 0;
    double cpu = 0;
    qint64 rssKb = 0;
    qint64 lines = 0;
    qint64 transcriptBytes = 0;
    qint64 reportBytes = 0;
};

// CPU seconds of another process, from /proc/PID/stat.
double processCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command's name, which may hold spaces: state is the first.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// Counts the lines the console sent, from what the transcript gained since the last look.
class SentLineCounter
{
public:
    explicit SentLineCounter(const QString &path)
        : file_(path)
    {}
    qint64 count()
    {
        if (!file_.isOpen() && !file_.open(QIODevice::ReadOnly))
            return lines_;
        pending_ += file_.readAll();
        const qsizetype end = pending_.lastIndexOf('\n') + 1;
        for (const QByteArray &record :
             QByteArrayView(pending_).first(end).toByteArray().split('\n'))
            lines_ += record.contains("\tOUT\tMSG");
        pending_.remove(0, end);
        return lines_;
    }

private:
    QFile file_;
    QByteArray pending_;
    qint64 lines_ = 0;
};

// Samples once a second until stop() holds; the samples start with the first line sent.
QList<Sample> sampleUntil(const std::function<Sample()> &take, const std::function<bool()> &stop)
{
    QList<Sample> samples;
    while (!stop()) {
        runEventLoopFor(sampleMs);
        // A process that has ended has no CPU or memory to read: its last sample stands.
        const Sample sample = take();
        if (sample.lines > 0 && sample.cpu >= 0 && sample.rssKb >= 0)
            samples.append(sample);
    }
    return samples;
}

// The first sample at or after the time, or the last.
const Sample &at(const QList<Sample> &samples, double wall)
{
    for (const Sample &sample : samples) {
        if (sample.wall >= wall)
            return sample;
    }
    return samples.constLast();
}

// CPU per line and per second, and memory, over a stretch of the samples.
void reportStretch(const char *name, const Sample &from, const Sample &to)
{
    const double lines = double(to.lines - from.lines);
    const double seconds = to.wall - from.wall;
    const QByteArray key(name);
    report(key + "_cpu_ms_per_line", lines > 0 ? (to.cpu - from.cpu) * 1000 / lines : -1);
    report(key + "_cpu_percent", seconds > 0 ? (to.cpu - from.cpu) * 100 / seconds : -1);
    report(key + "_lines_per_s", seconds > 0 ? lines / seconds : -1);
    report(key + "_rss_kb", double(to.rssKb));
}

// The last minute ends when the last line went out: the end of a run (the report written
// whole once more, the program ending) is told apart as its own CPU.
void reportFirstAndLast(const char *prefix, const QList<Sample> &samples)
{
    const QByteArray key(prefix);
    const Sample &first = samples.constFirst();
    const Sample &last = samples.constLast();
    const Sample *lastLine = &last;
    for (const Sample &sample : samples) {
        if (sample.lines == last.lines) {
            lastLine = &sample;
            break;
        }
    }
    reportStretch(key + "_first", first, at(samples, first.wall + windowSeconds));
    reportStretch(key + "_last", at(samples, lastLine->wall - windowSeconds), *lastLine);
    reportStretch(key + "_whole", first, last);
    report(key + "_end_cpu_ms", (last.cpu - lastLine->cpu) * 1000);
    report(key + "_lines", double(last.lines));
    report(key + "_minutes", (last.wall - first.wall) / 60);
}

// One scripted run of the three lines repeated, sampled from outside.
QList<Sample> scriptedRun(const QString &console, int repeat, int charMs, int *status)
{
    QTemporaryDir dir;
    writeCp932Lines(dir.filePath(QStringLiteral("three.txt")), threeLines);
    SimProcess sim(dir.filePath(QStringLiteral("sim.log")),
                   {QStringLiteral("--char-ms"), QString::number(charMs)});
    if (sim.ptyPath().isEmpty())
        return {};
    QProcess run;
    run.setWorkingDirectory(dir.path());
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(console,
              {QStringLiteral("--speak"),
               QStringLiteral("three.txt"),
               QStringLiteral("--port"),
               QStringLiteral("1"),
               QStringLiteral("--repeat"),
               QString::number(repeat),
               QStringLiteral("--junit"),
               QStringLiteral("r.xml"),
               QStringLiteral("--transcript"),
               QStringLiteral("t.txt")});
    if (!run.waitForStarted()) {
        std::fprintf(stderr, "soak: cannot start %s\n", qPrintable(console));
        return {};
    }
    const qint64 pid = run.processId();
    SentLineCounter lines(dir.filePath(QStringLiteral("t.txt")));
    QList<Sample> samples = sampleUntil(
        [&] {
            return Sample{wallSeconds(),
                          processCpuSeconds(pid),
                          procStatusKb("VmRSS", pid),
                          lines.count(),
                          QFileInfo(dir.filePath(QStringLiteral("t.txt"))).size(),
                          QFileInfo(dir.filePath(QStringLiteral("r.xml"))).size()};
        },
        [&] { return run.state() == QProcess::NotRunning; });
    *status = run.exitCode();
    return samples;
}

} // namespace

int benchSoakRun(const QStringList &arguments)
{
    const QString console = arguments.value(0);
    const int cases = arguments.value(1, QStringLiteral("9000")).toInt();
    const int charMs = arguments.value(2, QStringLiteral("10")).toInt();
    int status = 0;
    const QList<Sample> reference = scriptedRun(console, 20, charMs, &status);
    if (reference.size() < 2 || status != 0) {
        std::fprintf(stderr, "soak: the 60-case run failed (status %d)\n", status);
        return 1;
    }
    reportStretch("soak_short", reference.constFirst(), reference.constLast());
    const QList<Sample> samples = scriptedRun(console, (cases + 2) / 3, charMs, &status);
    if (samples.size() < 2 || status != 0) {
        std::fprintf(stderr, "soak: the long run failed (status %d)\n", status);
        return 1;
    }
    reportFirstAndLast("soak", samples);
    const Sample &first = samples.constFirst();
    const Sample &last = samples.constLast();
    const double hours = (last.wall - first.wall) / 3600;
    report("soak_transcript_mb_per_hour",
           double(last.transcriptBytes - first.transcriptBytes) / 1e6 / hours);
    report("soak_report_kb_per_hour", double(last.reportBytes - first.reportBytes) / 1e3 / hours);
    report("soak_report_kb", double(last.reportBytes) / 1e3);
    return 0;
}

int benchSoakWindow(const QStringList &arguments)
{
    const int seconds = arguments.value(0, QStringLiteral("600")).toInt();
    const int boxLines = arguments.value(1, QStringLiteral("5000")).toInt();
    QTemporaryDir logDir;
    SimProcess sim(logDir.filePath(QStringLiteral("sim.log")),
                   {QStringLiteral("--char-ms"), QStringLiteral("10")});
    if (sim.ptyPath().isEmpty())
        return 1;
    BenchConsole console;
    if (!console.open())
        return 1;
    Form1 &form = console.form();
    qint64 lines = 0;
    QObject::connect(&form, &Form1::lineWritten, &form, [&lines] { ++lines; });
    form.setText1_Text(sendTextFromLines(kanaLines(boxLines)));
    form.ui.Check1->setChecked(true);
    form.Check1_Click();
    form.Command10_Click();
    const double end = wallSeconds() + seconds;
    const QList<Sample> samples = sampleUntil(
        [&] {
            return Sample{wallSeconds(), processCpuSeconds(), procStatusKb("VmRSS"), lines, 0, 0};
        },
        [&] { return wallSeconds() >= end || form.Snd_flg == 0; });
    if (samples.size() < 2) {
        std::fprintf(stderr, "soak-window: the run did not go\n");
        return 1;
    }
    reportFirstAndLast("window", samples);
    return 0;
}
