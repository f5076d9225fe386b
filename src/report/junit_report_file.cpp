#include "report/junit_report_file.h"

#include "platform/whole_file.h"

#include <utility>

JunitReportFile::JunitReportFile(const QString &path,
                                 std::function<const RunRecord &()> record,
                                 std::function<void(const QString &error)> failed)
    : path_(path)
    , record_(std::move(record))
    , failed_(std::move(failed))
{
    due_.setSingleShot(true);
    QObject::connect(&due_, &QTimer::timeout, &due_, [this] { write(); });
}

bool JunitReportFile::write()
{
    if (ended_)
        return true;
    due_.stop();
    const RunRecord &record = record_();
    ended_ = record.end != RunEnd::Unfinished;
    QString error;
    sinceWrite_.start();
    if (writeWholeFile(path_, unfinished_.report(record), &error))
        return true;
    failed_(error);
    return false;
}

void JunitReportFile::changed()
{
    if (ended_ || due_.isActive())
        return;
    const qint64 wait = sinceWrite_.isValid() ? intervalMs - sinceWrite_.elapsed() : 0;
    if (wait <= 0)
        write();
    else
        due_.start(int(wait));
}
