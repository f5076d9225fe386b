// Monitor flood: the flood figure's setting (a run armed, the simulator sending random bytes at
// full speed) with the line monitor open and fed every record. Measured: the longest stall of
// the event loop (a 5 ms timer notes the longest gap between its ticks), the records a second
// the monitor takes, and the console's resident memory two seconds in and at the end. With a
// row bound the flood reaches in its first seconds (MAX_ROWS) the memory after that is the
// bound's: flat.
#include "bench_console.h"
#include "event_wait.h"
#include "figures.h"
#include "proc_status.h"
#include "report.h"
#include "sim_process.h"

#include "link/transcript.h"
#include "monitor/monitor_access.h"
#include "monitor/monitor_window.h"

#include <QTemporaryDir>

#include <algorithm>

namespace {

constexpr int warmUpMs = 2000;

} // namespace

int benchMonitorFlood(const QStringList &arguments)
{
    const int seconds = arguments.value(0, QStringLiteral("10")).toInt();
    // --no-monitor: the same flood and transcript feed with the monitor closed, the reference.
    const bool shown = !arguments.contains(QLatin1String("--no-monitor"));
    const int maxRows = arguments.size() > 1 && arguments[1] != QLatin1String("--no-monitor")
                            ? arguments[1].toInt()
                            : RecordModel::defaultMaxRows;
    QTemporaryDir logDir;
    SimProcess sim(logDir.filePath(QStringLiteral("sim.log")),
                   {QStringLiteral("--char-ms"),
                    QStringLiteral("60000"),
                    QStringLiteral("--flood"),
                    QString::number(seconds + 1)});
    if (sim.ptyPath().isEmpty())
        return 1;
    BenchConsole console;
    Form1 &form = console.form();
    Transcript transcript;
    transcript.follow(form.MSComm1, &form.statusPolls());
    QObject::connect(&form, &Form1::statusAnswered, &transcript, &Transcript::noteStatus);
    const std::unique_ptr<MonitorWindow> monitor = attachMonitor(form, transcript);
    monitor->model().setMaxRows(maxRows);
    if (shown)
        monitor->open();
    if (!console.open())
        return 1;
    quint64 records = 0;
    QObject::connect(&transcript, &Transcript::recorded, [&records] { ++records; });
    longestGapMs(500);
    // The first STT, on the next tick, starts the flood.
    form.setText1_Text(QStringLiteral("MSGあいうえお"));
    form.Command10_Click();
    const double warmStall = longestGapMs(warmUpMs);
    const qint64 rssWarm = procStatusKb("VmRSS");
    const quint64 recordsWarm = records;
    const double stall = longestGapMs(seconds * 1000 - warmUpMs);
    const qint64 rssEnd = procStatusKb("VmRSS");
    report("max_rows", double(maxRows));
    report("stall_max_ms", std::max(warmStall, stall));
    report("records_per_s", double(records - recordsWarm) / (seconds - warmUpMs / 1000));
    report("rows_kept", double(monitor->model().rowCount()));
    report("rows_dropped", double(monitor->model().droppedRows()));
    report("rss_warm_kb", double(rssWarm));
    report("rss_growth_after_warmup_kb", double(rssEnd - rssWarm));
    return 0;
}
