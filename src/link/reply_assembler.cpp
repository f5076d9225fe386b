#include "link/reply_assembler.h"

ReplyAssembler::Taken ReplyAssembler::add(const QString &arrival)
{
    Taken taken;
    QStringView text(arrival);
    if (lastEndedWithCr_ && pending_.isEmpty() && text.startsWith(u'\n')) {
        taken.lineFeedOfLast = true;
        lastEndedWithCr_ = false;
        text = text.sliced(1);
    }
    if (!text.isEmpty())
        lastEndedWithCr_ = false;
    pending_ += text;
    qsizetype end = pending_.lastIndexOf(u'\r');
    if (end < 0) {
        if (pending_.size() >= maxPending)
            taken.complete = flush();
        return taken;
    }
    if (end + 1 < pending_.size() && pending_[end + 1] == u'\n')
        ++end;
    taken.complete = pending_.left(end + 1);
    pending_.remove(0, end + 1);
    lastEndedWithCr_ = pending_.isEmpty() && taken.complete->endsWith(u'\r');
    return taken;
}

std::optional<QString> ReplyAssembler::flush()
{
    if (pending_.isEmpty())
        return std::nullopt;
    QString text;
    text.swap(pending_);
    lastEndedWithCr_ = false;
    return text;
}

void ReplyAssembler::clear()
{
    pending_.clear();
    lastEndedWithCr_ = false;
}
