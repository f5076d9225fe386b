// Pump cadence: a run of kana lines against a simulator that speaks in no time; the simulator's
// log says when each command line arrived. Every tick of the line pump writes one line: STT or
// the next line to speak, so the intervals between logged commands are the tick intervals.
// With --quiet-module the simulator does not acknowledge MSG with ">"; the pump still polls STT
// between lines, as each line waits for an idle report given after the line before.
#include "bench_console.h"
#include "event_wait.h"
#include "figures.h"
#include "kana_text.h"
#include "report.h"
#include "sim_log_reader.h"
#include "sim_process.h"
#include "tick_stats.h"

#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr double tickMs = 100;
constexpr int settleMs = 300;
} // namespace

int benchPump(const QStringList &arguments)
{
    const int lines = arguments.value(0, QStringLiteral("50")).toInt();
    QStringList simArguments{QStringLiteral("--char-ms"), QStringLiteral("0")};
    if (arguments.contains(QLatin1String("--quiet-module")))
        simArguments.append(QStringLiteral("--quiet"));
    QTemporaryDir logDir;
    const QString logPath = logDir.filePath(QStringLiteral("sim.log"));
    {
        SimProcess sim(logPath, simArguments);
        if (sim.ptyPath().isEmpty())
            return 1;
        BenchConsole console;
        if (!console.open())
            return 1;
        Form1 &form = console.form();
        runEventLoopFor(settleMs);
        form.setText1_Text(sendTextFromLines(kanaLines(lines)));
        form.Command10_Click();
        if (!runEventLoopUntil([&form] { return form.Snd_flg == 0; }, lines * 400 + 5000)) {
            std::fprintf(stderr, "pump: the run did not end\n");
            return 1;
        }
    }
    const SimLogSummary log = readSimLogSummary(logPath);

    QList<double> ticks;
    QList<double> spoken;
    for (const LoggedCommand &command : log.commands) {
        ticks.append(command.seconds);
        if (command.bytes.startsWith("MSG"))
            spoken.append(command.seconds);
    }
    if (spoken.size() != lines)
        std::fprintf(stderr, "pump: %lld of %d lines sent\n", qlonglong(spoken.size()), lines);
    if (spoken.size() < 2)
        return 1;
    const TickStats stats = tickStats(ticks, tickMs);
    report("pump_lines", double(spoken.size()));
    report("pump_lines_per_s",
           double(spoken.size() - 1) / (spoken.constLast() - spoken.constFirst()));
    report("pump_tick_mean_ms", stats.meanMs);
    report("pump_jitter_rms_ms", stats.rmsDeviationMs);
    report("pump_jitter_max_ms", stats.maxDeviationMs);
    return 0;
}
