#include "link/status_polls.h"

#include <algorithm>
#include <utility>

quint64 StatusPolls::written(qint64 nowMs)
{
    if (waiting() == 0)
        quietSinceMs_ = nowMs;
    answeredSincePoll_ = false;
    return ++written_;
}

void StatusPolls::commandWritten(QStringView text, int line, qint64 nowMs)
{
    // A lone CR is no command: the module answers nothing to it.
    QStringView command = text;
    if (command.endsWith(u'\r'))
        command.chop(1);
    if (command.isEmpty())
        return;
    const AnswerKind kind = command == u"VER" ? AnswerKind::Version : AnswerKind::Acknowledgement;
    commands_.push_back({command.toString(), line, written_, nowMs, kind});
    if (qsizetype(commands_.size()) > keptCommands)
        commands_.pop_front();
}

quint64 StatusPolls::answered(qint64 nowMs, bool idle)
{
    heard(nowMs);
    idleInRow_ = idle ? idleInRow_ + 1 : 0;
    if (waiting() == 0)
        return 0;
    answeredSincePoll_ = true;
    lastAnswered_ = ++answered_;
    return answered_;
}

StatusPolls::Marker StatusPolls::acknowledged(qint64 nowMs)
{
    heard(nowMs);
    acknowledges_ = true;
    return answerOf(AnswerKind::Acknowledgement);
}

StatusPolls::Marker StatusPolls::versionAnswered(qint64 nowMs)
{
    heard(nowMs);
    return answerOf(AnswerKind::Version);
}

StatusPolls::Marker StatusPolls::answerOf(AnswerKind kind)
{
    // The oldest command waiting for this kind of answer; those of the other kind written
    // before it lost theirs (in order, theirs would have come first).
    const auto found = std::find_if(
        commands_.begin(), commands_.end(), [kind](const Command &c) { return c.kind == kind; });
    if (found == commands_.end())
        return {};
    const Command command = *found;
    commands_.erase(commands_.begin(), std::next(found));
    idleInRow_ = 0;
    // More status replies came before this answer than there were polls before its command.
    if (lastAnswered_ > command.pollMark)
        unasked_ = true;
    Marker marker{command.text, command.line, 0};
    if (answered_ < command.pollMark) {
        marker.lost = command.pollMark - answered_;
        answered_ = command.pollMark;
    }
    return marker;
}

quint64 StatusPolls::dropLost(qint64 nowMs, qint64 lateMs)
{
    const quint64 lost = waiting();
    const bool quiet = lost > 0 && nowMs - quietSinceMs_ >= lateMs;
    const bool seenBefore = std::exchange(quietSeen_, quiet);
    if (!quiet || !seenBefore)
        return 0;
    answered_ = written_;
    quietSeen_ = false;
    return lost;
}

void StatusPolls::forgetOutstanding()
{
    answered_ = written_;
    unasked_ = false;
    acknowledges_ = false;
    idleInRow_ = 0;
    commands_.clear();
}

bool StatusPolls::answerAwaited(quint64 mark, qint64 nowMs, qint64 lateMs) const
{
    // Until the module has acknowledged something, a command unanswered for a poll time-out
    // shows a module that does not acknowledge: nothing is waited for from it.
    const qint64 waitMs = acknowledges_ ? lateMs : std::min<qint64>(lateMs, timeoutMs);
    const auto late = [=](const Command &c) {
        return nowMs - c.writtenMs >= waitMs;
    };
    if (!acknowledges_ && std::any_of(commands_.cbegin(), commands_.cend(), late))
        return false;
    return std::any_of(commands_.cbegin(), commands_.cend(), [=](const Command &c) {
        return c.pollMark <= mark && !late(c);
    });
}
