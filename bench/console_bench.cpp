// console-bench: the figures measured inside a console process, one per call:
//
//   console-bench FIGURE [ARGUMENTS...]
//
// See figures.h for the figures. Message boxes are not shown; they go to standard error.
#include "figures.h"

#include <QApplication>
#include <cstdio>
#include <utility>

namespace {

using Figure = int (*)(const QStringList &);

const std::pair<const char *, Figure> figures[] = {
    {"idle", benchIdle},
    {"ver-wait", benchVerWait},
    {"import", benchImport},
    {"import-reference", benchImportReference},
    {"split", benchSplit},
    {"pump", benchPump},
    {"flood", benchFlood},
    {"monitor-flood", benchMonitorFlood},
    {"stt-round-trip", benchSttRoundTrip},
    {"network-stall", benchNetworkStall},
    {"soak-run", benchSoakRun},
    {"soak-window", benchSoakWindow},
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    for (const auto &[name, figure] : figures) {
        if (arguments.value(0) == QLatin1String(name))
            return figure(arguments.mid(1));
    }
    std::fprintf(stderr, "usage: console-bench FIGURE [ARGUMENTS...]; figures:");
    for (const auto &[name, figure] : figures)
        std::fprintf(stderr, " %s", name);
    std::fprintf(stderr, "\n");
    return 64;
}
