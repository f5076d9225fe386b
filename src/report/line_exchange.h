#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The traffic of one line, as the transcript writes it but timed from the moment the line
// went out: the line itself, the module's answers, the polls and their replies and the
// program's own events, until the next line. A line that stays on the line for a long time
// keeps its first and its last records; the ones between are counted, not kept.
class LineExchange
{
public:
    static constexpr qsizetype keptAtEachEnd = 500;

    // Begins the exchange of a line that went out at this time (nanoseconds).
    void start(qint64 nsecs);
    void add(qint64 nsecs, const QString &kind, const QString &text, const QByteArray &bytes = {});
    // One record a line, each ended by LF.
    QString text() const;

private:
    qint64 since_ = 0;
    QStringList head_;
    QStringList tail_;
    qsizetype leftOut_ = 0;
};
