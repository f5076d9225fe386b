// Idle CPU: the console with its port open on the simulator and no run, left alone.
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
    if (!console.open())
        return 1;
    runEventLoopFor(settleMs);
    report("idle_cpu_percent", idleCpuPercent(seconds));
    return 0;
}
