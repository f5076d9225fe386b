// Split of a 32,767-line send box: the speak request's split alone, on the text the box gives
// after an import, and the whole speak request (reading the box, counting, splitting).
#include "bench_console.h"
#include "cpu_clock.h"
#include "figures.h"
#include "kana_text.h"
#include "report.h"
#include "speak/speak_request.h"

#include <cstdio>

int benchSplit(const QStringList &arguments)
{
    const int runs = arguments.value(0, QStringLiteral("5")).toInt();
    const QString text = sendTextFromLines(kanaLines(int(maxSpeakLines)));
    for (int run = 0; run < runs; ++run) {
        const double start = wallSeconds();
        const QStringList list = splitAtLineFeeds(completeWithCrLf(text));
        report("split_ms", (wallSeconds() - start) * 1000);
        if (list.size() != maxSpeakLines + 1)
            std::fprintf(stderr, "split: %lld elements\n", static_cast<long long>(list.size()));
    }

    BenchConsole console;
    Form1 &form = console.form();
    form.setText1_Text(text);
    for (int run = 0; run < runs; ++run) {
        const double start = wallSeconds();
        form.Command10_Click();
        report("speak_request_ms", (wallSeconds() - start) * 1000);
        if (form.Snd_max != maxSpeakLines)
            std::fprintf(stderr, "split: the run has %d lines\n", int(form.Snd_max));
        // The port is closed and no event loop runs here, so the run never starts; disarm it.
        form.Snd_flg = 0;
    }
    return 0;
}
