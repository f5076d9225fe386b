#include "link/reply_assembler.h"

ReplyAssembler::Taken ReplyAssembler::add(const QString &arrival, qint64 nowMs)
{
    Taken taken;
    QStringView text(arrival);
    if (lastEndedWithCr_ && pending_.isEmpty() && text.startsWith(u'\n')) {
        taken.lineFeedOfLast = true;
        lastEndedWithCr_ = false;
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return taken;
    lastEndedWithCr_ = false;
    if (pending_.isEmpty())
        pendingSinceMs_ = nowMs;
    lastArrivalMs_ = nowMs;
    pending_ += text;
    qsizetype end = -1;
    for (qsizetype i = pending_.size() - 1; i >= 0; --i) {
        if (pending_[i] == u'\r' || pending_[i] == u'\n') {
            end = i;
            break;
        }
    }
    if (end < 0) {
        const qsizetype bound = endsReplies_ ? replyBoundBytes : maxPending;
        if (pending_.size() >= bound) {
            taken.cut = endsReplies_;
            taken.complete = flush();
        }
        return taken;
    }
    if (pending_[end] == u'\r' && end + 1 < pending_.size() && pending_[end + 1] == u'\n')
        ++end;
    taken.complete = pending_.left(end + 1);
    pending_.remove(0, end + 1);
    pendingSinceMs_ = nowMs;
    endsReplies_ = true;
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

qint64 ReplyAssembler::dueAtMs() const
{
    return endsReplies_ ? pendingSinceMs_ + replyBoundMs : lastArrivalMs_ + quietGapMs;
}

void ReplyAssembler::clear()
{
    pending_.clear();
    lastEndedWithCr_ = false;
    endsReplies_ = false;
}
