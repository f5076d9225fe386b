// Idle CPU: the console with no run, left alone, first with its port closed, then open on the
// simulator.
#include "bench_console.h"
#include "event_wait.h"
#include "figures.h"
#include "idle_cpu.h"
#include "report.h"
#include "sim_process.h"

#include <QTemporaryDir>

namespace {
constexpr int settleMs = 1000;
}

int benchIdle(const QStringList &arguments)
{
    const int seconds = arguments.value(0, QStringLiteral("10")).toInt();
    QTemporaryDir logDir;
    SimProcess sim(logDir.filePath(QStringLiteral("sim.log")));
    if (sim.ptyPath().isEmpty())
        return 1;
    BenchConsole console;
    runEventLoopFor(settleMs);
    report("idle_closed_cpu_percent", idleCpuPercent(seconds));
    if (!console.open())
        return 1;
    runEventLoopFor(settleMs);
    report("idle_cpu_percent", idleCpuPercent(seconds));
    return 0;
}
