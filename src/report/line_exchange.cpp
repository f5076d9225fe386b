#include "report/line_exchange.h"

#include "link/transcript.h"

void LineExchange::start(qint64 nsecs)
{
    since_ = nsecs;
    head_.clear();
    tail_.clear();
    leftOut_ = 0;
}

void LineExchange::add(qint64 nsecs,
                       const QString &kind,
                       const QString &text,
                       const QByteArray &bytes)
{
    const QString record = transcriptRecord(double(nsecs - since_) / 1e6, kind, text, bytes);
    if (head_.size() < keptAtEachEnd) {
        head_.append(record);
        return;
    }
    tail_.append(record);
    if (tail_.size() > keptAtEachEnd) {
        tail_.removeFirst();
        ++leftOut_;
    }
}

QString LineExchange::text() const
{
    QString text = head_.join(u'\n');
    if (!head_.isEmpty())
        text += u'\n';
    if (leftOut_ > 0)
        text += QStringLiteral("... %1 records left out ...\n").arg(leftOut_);
    for (const QString &record : tail_)
        text += record + u'\n';
    return text;
}
