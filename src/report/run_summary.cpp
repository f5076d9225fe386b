#include "report/run_summary.h"

#include "link/transcript.h"

#include <algorithm>

namespace {

QString counted(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString seconds(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral(" s");
}

} // namespace

QString runSummary(const RunRecord &record)
{
    QList<double> times;
    qsizetype errors = 0;
    for (const SentLine &line : record.sent) {
        if (line.verdict == LineVerdict::Spoken)
            times.append(line.seconds);
        else
            ++errors;
    }
    // A run that failed where no line shows it counts as one error, as its report shows it.
    if (errors == 0 && record.end != RunEnd::Spoken)
        errors = 1;

    QString summary = counted(times.size(), "line spoken", "lines spoken") + QStringLiteral(", ")
                      + counted(errors, "error", "errors");
    if (times.isEmpty()) {
        summary += QStringLiteral("; no speaking time");
    } else {
        std::sort(times.begin(), times.end());
        const qsizetype middle = times.size() / 2;
        const double median
            = times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
        summary += QStringLiteral("; speaking time min %1, median %2, max %3")
                       .arg(seconds(times.first()), seconds(median), seconds(times.last()));
    }
    if (!record.moduleVersion.isEmpty())
        summary += QStringLiteral("; module %1").arg(visibleText(record.moduleVersion));
    return summary;
}
