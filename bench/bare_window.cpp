// bench-bare-window: an empty Qt Widgets window the size of the console's window, the floor
// that the console's start-up time, memory and idle CPU are compared with.
//
//   bench-bare-window               shows the window until it is closed or killed
//   bench-bare-window --kana        the same with one label of Japanese text, which loads a
//                                   Japanese font as the console's captions do
//   bench-bare-window --idle SECS   shows it, then reports its own CPU over SECS idle seconds
//   bench-bare-window --qt-version  prints the version of Qt it runs on
#include "event_wait.h"
#include "idle_cpu.h"
#include "report.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstdio>

namespace {
// Console window's size, so that both map and paint the same area.
constexpr int width = 769;
constexpr int height = 506;
constexpr int settleMs = 1500;
} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && QByteArray(argv[1]) == "--qt-version") {
        std::printf("%s\n", qVersion());
        return 0;
    }
    QApplication app(argc, argv);
    QWidget window;
    window.resize(width, height);
    window.setWindowTitle(QStringLiteral("bare window"));
    const QStringList arguments = app.arguments();
    if (arguments.contains(QLatin1String("--kana"))) {
        auto *label = new QLabel(QStringLiteral("メッセージ1 発話 中止"), &window);
        label->move(8, 8);
    }
    window.show();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--idle")) {
        runEventLoopFor(settleMs);
        report("idle_cpu_percent", idleCpuPercent(arguments[2].toInt()));
        return 0;
    }
    return app.exec();
}
