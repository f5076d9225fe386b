// Import of a 32,767-line file: FILE answered by a stand-in Open dialog with a file of kana in
// code page 932 (or in UTF-8 when the second argument says utf-8), timed around the handler.
// Its floor is timed beside it: the same text put into a bare QPlainTextEdit by the one
// setPlainText() of its document that the import ends with, nothing of the console running.
#include "bench_console.h"
#include "cpu_clock.h"
#include "event_wait.h"
#include "figures.h"
#include "kana_text.h"
#include "report.h"
#include "speak/speak_request.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstdio>

namespace {
constexpr int pauseMs = 200;
}

int benchImport(const QStringList &arguments)
{
    const int runs = arguments.value(0, QStringLiteral("5")).toInt();
    QTemporaryDir fileDir;
    const QString path = fileDir.filePath(QStringLiteral("lines.txt"));
    const bool utf8 = arguments.value(1) == QLatin1String("utf-8");
    const QStringList lines = kanaLines(int(maxSpeakLines));
    const bool written = utf8 ? writeUtf8Lines(path, lines) : writeCp932Lines(path, lines);
    if (!written) {
        std::fprintf(stderr, "import: cannot write %s\n", qPrintable(path));
        return 1;
    }
    BenchConsole console;
    Form1 &form = console.form();
    const OpenDialogHandler previous = installOpenDialogHandler(
        [path](const QStringList &, const QString &) { return std::optional<QString>(path); });
    QPlainTextEdit bare;
    bare.resize(form.ui.Text1->size());
    bare.show();
    for (int run = 0; run < runs; ++run) {
        form.setText1_Text(QString());
        runEventLoopFor(pauseMs);
        const CpuMeter meter;
        form.Command17_Click();
        report("import_ms", meter.wallSeconds() * 1000);
        report("import_cpu_ms", meter.cpuSeconds() * 1000);
        const QString imported = form.ui.Text1->document()->toPlainText();
        bare.document()->setPlainText(QString());
        runEventLoopFor(pauseMs);
        const CpuMeter fill;
        bare.document()->setPlainText(imported);
        report("fill_floor_ms", fill.wallSeconds() * 1000);
        // The file's last line ends with CR LF, which leaves an empty last line in the box.
        if (form.ui.Text1->blockCount() != maxSpeakLines + 1)
            std::fprintf(stderr, "import: %d lines in the box\n", form.ui.Text1->blockCount());
    }
    installOpenDialogHandler(previous);
    return 0;
}
