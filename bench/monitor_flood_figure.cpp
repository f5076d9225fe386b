// Monitor flood: the flood figure's setting (a run armed, the simulator sending random bytes at
// full speed) with the line monitor open and fed every record. Measured: the longest stall of
// the event loop over the whole run (a 5 ms timer notes the longest gap between its ticks), the
// records a second the monitor takes, and the console's resident memory two seconds in, when
// the rows taken reach half the row bound, the bound, 1.5 and 3 times the bound, and at the
// end. Past the bound the monitor keeps a fixed number of rows, so the memory from 1.5 to 3
// times the bound must be flat.
//
// SECONDS 0 runs until 3 times the bound were taken, past the warm-up (at most maxSeconds).
#include "bench_console.h"
#include "event_wait.h"
#include "figures.h"
#include "proc_status.h"
#include "report.h"
#include "sim_process.h"

#include "link/transcript.h"
#include "monitor/monitor_access.h"
#include "monitor/monitor_window.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr int warmUpMs = 2000;
constexpr int maxSeconds = 300;
constexpr double stallTargetMs = 50;
// Memory is flat when it grows less than this from 1.5 to 3 times the bound.
constexpr qint64 flatKb = 1024;

struct Checkpoint
{
    const char *key;
    double bounds; // rows taken, in row bounds
    qint64 rssKb = -1;
};

} // namespace

int benchMonitorFlood(const QStringList &arguments)
{
    const int asked = arguments.value(0, QStringLiteral("10")).toInt();
    const bool untilFlat = asked <= 0;
    const int seconds = untilFlat ? maxSeconds : asked;
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
    RecordModel &model = monitor->model();
    model.setMaxRows(maxRows);
    if (shown)
        monitor->open();
    if (!console.open())
        return 1;
    quint64 records = 0;
    QObject::connect(&transcript, &Transcript::recorded, [&records] { ++records; });
    std::array<Checkpoint, 4> checkpoints{{{"rss_half_bound_kb", 0.5},
                                           {"rss_at_bound_kb", 1},
                                           {"rss_1_5x_bound_kb", 1.5},
                                           {"rss_3x_bound_kb", 3}}};
    // Looked at on every tick of the stall measure: notes the memory at the checkpoints.
    const auto taken = [&] {
        const double rows = double(quint64(model.rowCount()) + model.droppedRows());
        for (Checkpoint &point : checkpoints) {
            if (point.rssKb < 0 && rows >= point.bounds * maxRows)
                point.rssKb = procStatusKb("VmRSS");
        }
        return untilFlat && checkpoints.back().rssKb >= 0;
    };
    longestGapMs(500);
    // The first STT, on the next tick, starts the flood.
    form.setText1_Text(QStringLiteral("MSGあいうえお"));
    form.Command10_Click();
    QElapsedTimer clock;
    clock.start();
    const double warmStall = longestGapMs(warmUpMs, [&] {
        taken();
        return false;
    });
    const qint64 rssWarm = procStatusKb("VmRSS");
    const quint64 recordsWarm = records;
    const double stall = std::max(warmStall, longestGapMs(seconds * 1000 - warmUpMs, taken));
    const double spentS = double(clock.elapsed()) / 1000;
    const qint64 rssEnd = procStatusKb("VmRSS");
    report("max_rows", double(maxRows));
    report("seconds", spentS);
    report("stall_max_ms", stall);
    report("records_per_s", double(records - recordsWarm) / (spentS - warmUpMs / 1000.0));
    report("rows_kept", double(model.rowCount()));
    report("rows_dropped", double(model.droppedRows()));
    report("rss_warm_kb", double(rssWarm));
    for (const Checkpoint &point : checkpoints) {
        if (point.rssKb >= 0)
            report(point.key, double(point.rssKb));
    }
    report("rss_end_kb", double(rssEnd));
    report("rss_growth_after_warmup_kb", double(rssEnd - rssWarm));
    std::printf(
        "target stall < %.0f ms: %s\n", stallTargetMs, stall < stallTargetMs ? "met" : "MISSED");
    const qint64 from = checkpoints[2].rssKb;
    const qint64 to = checkpoints[3].rssKb;
    if (from >= 0 && to >= 0) {
        report("rss_growth_past_bound_kb", double(to - from));
        std::printf("target memory flat from 1.5 to 3 times the bound (< %lld KB): %s\n",
                    static_cast<long long>(flatKb),
                    to - from < flatKb ? "met" : "MISSED");
    } else {
        std::printf("target memory flat: not measured (3 times the bound not reached; "
                    "run with SECONDS 0)\n");
    }
    std::fflush(stdout);
    return 0;
}
