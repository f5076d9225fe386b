// Flood: the console with a run armed, so its line pump writes STT on every tick, while the
// simulator sends random bytes at full speed (parlino-sim --flood). The simulator is slow to
// speak, so without the flood the pump also polls on every tick: --no-flood gives the same
// measurement on a quiet line, the reference. Measured: the console's resident memory at the
// start, two seconds in and at the end, and the regularity of its STT polls from the log.
#include "bench_console.h"
#include "cpu_clock.h"
#include "event_wait.h"
#include "figures.h"
#include "proc_status.h"
#include "report.h"
#include "sim_log_reader.h"
#include "sim_process.h"
#include "tick_stats.h"

#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr double tickMs = 100;
constexpr int settleMs = 500;
constexpr int warmUpMs = 2000;
} // namespace

int benchFlood(const QStringList &arguments)
{
    const int seconds = arguments.value(0, QStringLiteral("10")).toInt();
    const bool flood = !arguments.contains(QLatin1String("--no-flood"));
    // The module speaks for minutes, so it answers "stt 1" and the pump keeps polling.
    QStringList simArguments{QStringLiteral("--char-ms"), QStringLiteral("60000")};
    if (flood)
        simArguments += {QStringLiteral("--flood"), QString::number(seconds + 1)};
    QTemporaryDir logDir;
    const QString logPath = logDir.filePath(QStringLiteral("sim.log"));
    double consoleCpu = 0;
    {
        SimProcess sim(logPath, simArguments);
        if (sim.ptyPath().isEmpty())
            return 1;
        BenchConsole console;
        if (!console.open())
            return 1;
        Form1 &form = console.form();
        runEventLoopFor(settleMs);
        const qint64 rssStart = procStatusKb("VmRSS");
        const CpuMeter meter;
        // The first STT, on the next tick, starts the flood.
        form.setText1_Text(QStringLiteral("MSGあいうえお"));
        form.Command10_Click();
        runEventLoopFor(warmUpMs);
        const qint64 rssWarm = procStatusKb("VmRSS");
        runEventLoopFor(seconds * 1000 - warmUpMs);
        const qint64 rssEnd = procStatusKb("VmRSS");
        consoleCpu = meter.percentOfCore();
        report("rss_start_kb", double(rssStart));
        report("rss_end_kb", double(rssEnd));
        report("rss_growth_kb", double(rssEnd - rssStart));
        report("rss_growth_after_warmup_kb", double(rssEnd - rssWarm));
        if (form.Snd_flg == 0)
            std::fprintf(stderr, "flood: the run ended early\n");
    }
    const SimLogSummary log = readSimLogSummary(logPath);
    if (log.commands.size() < 2)
        return 1;
    // The polls of the measured window; the last one may overlap the console's closing.
    const double first = log.commands.constFirst().seconds;
    QList<double> polls;
    for (const LoggedCommand &command : log.commands) {
        if (command.seconds < first + seconds - 0.2)
            polls.append(command.seconds);
    }
    const TickStats stats = tickStats(polls, tickMs);
    report("console_cpu_percent", consoleCpu);
    report("polls", double(polls.size()));
    report("poll_jitter_rms_ms", stats.rmsDeviationMs);
    report("poll_jitter_max_ms", stats.maxDeviationMs);
    if (flood) {
        const double span = log.floodLast - first;
        report("flood_mb_per_s", span > 0 ? double(log.floodBytes) / span / 1e6 : 0);
    }
    return 0;
}
