#include "link/spoken_clock.h"

#include "link/reply.h"

namespace {

constexpr qsizetype maxReplyTail = 4096;

} // namespace

void SpokenClock::start(qint64 nsecs)
{
    running_ = true;
    since_ = nsecs;
    tail_.clear();
}

void SpokenClock::stop()
{
    running_ = false;
    tail_.clear();
}

SpokenClock::Heard SpokenClock::hear(const QString &text, qint64 nsecs)
{
    Heard heard;
    if (!running_)
        return heard;
    // A reply may come in pieces, or several in one read: each is judged whole, up to its CR.
    tail_ += text;
    qsizetype cr;
    while (running_ && (cr = tail_.indexOf(u'\r')) >= 0) {
        QStringView reply = QStringView(tail_).left(cr);
        while (reply.startsWith(u'\n'))
            reply = reply.mid(1);
        heard.replies.append(reply.toString());
        if (classifyReply(reply) == ReplyClass::Idle) {
            heard.spokenNsecs = nsecs - since_;
            running_ = false;
        }
        tail_.remove(0, cr + 1);
    }
    // A module that never sends CR must not grow the tail without end.
    if (!running_ || tail_.size() > maxReplyTail)
        tail_.clear();
    return heard;
}
