// CPU during the VER wait: the console on the simulator, getrusage around the VER handler,
// whose wait for the module is time-based. The reference is the old way of waiting, a loop of
// 100,000 processEvents() calls, measured in the same window.
#include "bench_console.h"
#include "cpu_clock.h"
#include "event_wait.h"
#include "figures.h"
#include "report.h"
#include "sim_process.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr int oldWaitPasses = 100000;
constexpr int pauseMs = 200;
} // namespace

int benchVerWait(const QStringList &arguments)
{
    const int runs = arguments.value(0, QStringLiteral("5")).toInt();
    QTemporaryDir logDir;
    SimProcess sim(logDir.filePath(QStringLiteral("sim.log")));
    if (sim.ptyPath().isEmpty())
        return 1;
    BenchConsole console;
    if (!console.open())
        return 1;
    Form1 &form = console.form();
    runEventLoopFor(pauseMs);

    for (int run = 0; run < runs; ++run) {
        form.ui.Text3->clear();
        const CpuMeter meter;
        form.Command19_Click();
        report("ver_wait_cpu_percent", meter.percentOfCore());
        report("ver_wait_ms", meter.wallSeconds() * 1000);
        if (!form.ui.Text3->text().startsWith(QLatin1String("ver")))
            std::fprintf(stderr, "ver-wait: no version shown after the wait\n");
        runEventLoopFor(pauseMs);
    }
    for (int run = 0; run < runs; ++run) {
        const CpuMeter meter;
        for (int pass = 0; pass < oldWaitPasses; ++pass)
            QCoreApplication::processEvents();
        report("process_events_cpu_percent", meter.percentOfCore());
        report("process_events_ms", meter.wallSeconds() * 1000);
        runEventLoopFor(pauseMs);
    }
    return 0;
}
