#pragma once

#include "report/junit_report.h"
#include "report/run_record.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <functional>

// The JUnit report's file while a run goes. It is replaced whole each time (a reader sees the
// old report or the new, never half of one): at once when the run ends, and while it goes at
// most once a second, a second at the latest after a change. A run killed even by SIGKILL so
// leaves a report that is right up to the lines sent a second before it was killed, and what
// a line costs does not grow with the length of the script.
class JunitReportFile
{
public:
    // The record gives the run as it stands; failed is told why a write failed.
    JunitReportFile(const QString &path,
                    std::function<const RunRecord &()> record,
                    std::function<void(const QString &error)> failed);
    JunitReportFile(const JunitReportFile &) = delete;
    JunitReportFile &operator=(const JunitReportFile &) = delete;

    // Writes the report now. The report of a run that has ended is the last one written.
    bool write();
    // The record changed: the report is written now when the last write is a second old,
    // else when it is.
    void changed();

    static constexpr qint64 intervalMs = 1000;

private:
    QString path_;
    std::function<const RunRecord &()> record_;
    std::function<void(const QString &)> failed_;
    UnfinishedReport unfinished_;
    QTimer due_;
    QElapsedTimer sinceWrite_;
    bool ended_ = false;
};
