// The reference for the import: the lines appended to the send box one at a time, as the old
// program did, each append setting the whole text anew. The cost of each append grows with the
// text, so the whole grows with the square of the line count; the loop stops when its time
// budget is spent and the time for all lines is extrapolated from a fit a*n + b*n^2 through
// the times at half and at all of the lines done.
#include "bench_console.h"
#include "cpu_clock.h"
#include "figures.h"
#include "kana_text.h"
#include "report.h"
#include "speak/speak_request.h"

#include <QList>

namespace {

// The time for total lines from the cumulative times of the first done lines.
double extrapolate(const QList<double> &cumulative, qsizetype total)
{
    const qsizetype n = cumulative.size();
    if (n >= total)
        return cumulative.constLast();
    const qsizetype m = n / 2;
    const double t1 = cumulative[m - 1];
    const double t2 = cumulative[n - 1];
    double b = (t2 / double(n) - t1 / double(m)) / double(n - m);
    if (b < 0)
        b = 0;
    const double a = t2 / double(n) - b * double(n);
    return a * double(total) + b * double(total) * double(total);
}

} // namespace

int benchImportReference(const QStringList &arguments)
{
    const double budgetSeconds = arguments.value(0, QStringLiteral("2000")).toDouble() / 1000;
    const QStringList lines = kanaLines(int(maxSpeakLines));
    BenchConsole console;
    QPlainTextEdit *box = console.form().ui.Text1;
    box->clear();
    QList<double> cumulative;
    const double start = wallSeconds();
    for (const QString &line : lines) {
        box->setPlainText(box->toPlainText() + QStringLiteral("MSG") + line + u'\n');
        cumulative.append(wallSeconds() - start);
        if (cumulative.constLast() > budgetSeconds && cumulative.size() >= 16)
            break;
    }
    report("reference_lines", double(cumulative.size()));
    report("reference_ms", cumulative.constLast() * 1000);
    report("reference_total_ms", extrapolate(cumulative, lines.size()) * 1000);
    return 0;
}
