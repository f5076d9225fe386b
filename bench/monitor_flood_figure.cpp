// Monitor flood: the flood figure's setting (a run armed, the simulator sending random bytes at
// full speed) with the line monitor open and fed every record. Measured: the longest stall of
// the event loop over the whole run (a 5 ms timer notes the longest gap between its ticks), the
// records a second the monitor takes, and the console's resident memory two seconds in, when
// the rows taken reach half the row bound, the bound, 1.5 and 3 times the bound, and at the
// end. Past the bound the monitor keeps a fixed number of rows, so the memory from 1.5 to 3
// times the bound must be flat.
//
// Rows taken past the bound cost nothing more, but the text column draws characters never
// drawn before for a while: the fonts' glyph caches grow to the characters seen.
//
// SECONDS 0 runs until 3 times the bound were taken, past the warm-up (at most maxSeconds).
#include "bench_console.h"
#include "cpu_clock.h"
#include "event_wait.h"
#include "figures.h"
#include "proc_status.h"
#include "report.h"
#include "sim_process.h"

#include "link/transcript.h"
#include "monitor/monitor_access.h"
#include "monitor/monitor_window.h"

#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <malloc.h>
#include <string>
#include <time.h>

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
    qint64 anonKb = -1; // RSS less the pages of mapped files (code, fonts, tables)
    qint64 heapKb = -1; // what the program holds of the heap: RSS above it is not in use
};

// The window's thread's CPU time, in ms.
double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Beside the longest gap between the stall measure's ticks: the most CPU the window's thread
// spent between two ticks, and what it spent in the longest gap. On a loaded machine a gap can
// be long while the thread waited for a core; its own work is the CPU.
struct StallCpu
{
    double lastWallMs = -1;
    double lastCpuMs = 0;
    double longestWallMs = 0;
    double cpuInLongestMs = 0;
    double mostCpuMs = 0;

    void tick()
    {
        const double wall = wallSeconds() * 1e3;
        const double cpu = threadCpuMs();
        if (lastWallMs >= 0) {
            mostCpuMs = std::max(mostCpuMs, cpu - lastCpuMs);
            if (wall - lastWallMs > longestWallMs) {
                longestWallMs = wall - lastWallMs;
                cpuInLongestMs = cpu - lastCpuMs;
            }
        }
        lastWallMs = wall;
        lastCpuMs = cpu;
    }
};

qint64 heapInUseKb()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64((info.uordblks + info.hblkhd) / 1024);
}

} // namespace

int benchMonitorFlood(const QStringList &arguments)
{
    const int asked = arguments.value(0, QStringLiteral("10")).toInt();
    const bool untilFlat = asked <= 0;
    const int seconds = untilFlat ? maxSeconds : asked;
    // --no-monitor: the same flood and transcript feed with the monitor closed, the reference.
    const bool shown = !arguments.contains(QLatin1String("--no-monitor"));
    // --hide-text: the text column hidden, to tell the font's glyph cache from the rows.
    const bool hideText = arguments.contains(QLatin1String("--hide-text"));
    const int maxRows = arguments.size() > 1 && !arguments[1].startsWith(QLatin1String("--"))
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
    const std::unique_ptr<LineMonitor> lineMonitor = attachMonitor(form, transcript);
    RecordModel &model = lineMonitor->model();
    model.setMaxRows(maxRows);
    if (shown)
        lineMonitor->open();
    if (hideText)
        lineMonitor->window().findChild<QTableView *>()->setColumnHidden(RecordModel::TextColumn,
                                                                         true);
    if (!console.open())
        return 1;
    quint64 records = 0;
    QObject::connect(&transcript, &Transcript::recorded, [&records] { ++records; });
    std::array<Checkpoint, 4> checkpoints{{{"rss_half_bound_kb", 0.5},
                                           {"rss_at_bound_kb", 1},
                                           {"rss_1_5x_bound_kb", 1.5},
                                           {"rss_3x_bound_kb", 3}}};
    // Looked at on every tick of the stall measure: notes the memory at the checkpoints.
    StallCpu stallCpu;
    const auto taken = [&] {
        stallCpu.tick();
        const double rows = double(quint64(model.rowCount()) + model.droppedRows());
        for (Checkpoint &point : checkpoints) {
            if (point.rssKb < 0 && rows >= point.bounds * maxRows) {
                point.rssKb = procStatusKb("VmRSS");
                point.anonKb = procStatusKb("RssAnon");
                point.heapKb = heapInUseKb();
            }
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
    report("stall_max_cpu_ms", stallCpu.mostCpuMs);
    report("stall_longest_cpu_ms", stallCpu.cpuInLongestMs);
    report("records_per_s", double(records - recordsWarm) / (spentS - warmUpMs / 1000.0));
    report("rows_kept", double(model.rowCount()));
    report("rows_dropped", double(model.droppedRows()));
    report("rss_warm_kb", double(rssWarm));
    for (const Checkpoint &point : checkpoints) {
        if (point.rssKb >= 0) {
            report(point.key, double(point.rssKb));
            const std::string key(point.key);
            report((key + "_anon").c_str(), double(point.anonKb));
            report((key + "_heap_in_use").c_str(), double(point.heapKb));
        }
    }
    report("rss_end_kb", double(rssEnd));
    report("rss_end_kb_anon", double(procStatusKb("RssAnon")));
    report("rss_end_kb_heap_in_use", double(heapInUseKb()));
    report("rss_growth_after_warmup_kb", double(rssEnd - rssWarm));
    std::printf("target stall < %.0f ms: %s (the thread's own work between two ticks at most "
                "%.1f ms, %s)\n",
                stallTargetMs,
                stall < stallTargetMs ? "met" : "MISSED",
                stallCpu.mostCpuMs,
                stallCpu.mostCpuMs < stallTargetMs ? "met" : "MISSED");
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
