#pragma once

#include <QStringView>
#include <QtGlobal>

#include <utility>

// The module's status polls ("STT") and the status replies that answer them, counted once
// for the whole console: every poll written, by whoever writes it, is numbered here, and the
// pump, the transcript and the report read the same numbers.
//
// The module answers polls in the order they were written, one status reply each, however
// late, so the n-th status reply answers the n-th poll for the life of the connection. A
// reply is known to describe the module after some moment (a line written, 発話, the port
// opened) when it answers a poll written after it: mark() taken at that moment,
// answersPollAfter(mark) once the reply is in.
//
// The next poll goes once a status reply has come since the latest, or once that one has
// waited timeoutMs; a poll timed out stays waiting: its late reply still answers it, not the
// poll after it. Only when the line has been quiet for longer than
// any reply could be late are the waiting polls taken as lost; a reply coming meanwhile
// keeps them. Times are milliseconds on any one steady clock.
class StatusPolls
{
public:
    // A poll unanswered this long lets the next go out.
    static constexpr int timeoutMs = 1000;
    // The window's bound on a late reply: polls still waiting after this long without a
    // reply are lost. Scripted runs take their --timeout instead.
    static constexpr int windowLateMs = 3000;

    // A poll has been written; returns its number (1, 2, ...).
    quint64 written(qint64 nowMs)
    {
        if (waiting() == 0)
            quietSinceMs_ = nowMs;
        answeredSincePoll_ = false;
        return ++written_;
    }
    // A status reply has come: returns the number of the poll it answers, the oldest one
    // waiting; 0 when none waits, and the reply answers nothing.
    quint64 answered(qint64 nowMs)
    {
        heard(nowMs);
        if (waiting() == 0)
            return 0;
        answeredSincePoll_ = true;
        return ++answered_;
    }
    // Something came from the module: the line is not quiet.
    void heard(qint64 nowMs)
    {
        quietSinceMs_ = nowMs;
        quietSeen_ = false;
    }
    // Gives up the waiting polls when nothing came for lateMs since the oldest of them went
    // out or since the last reply, whichever is later, as seen at two calls in a row: a
    // console held up by a busy machine has read what came meanwhile by the second. Returns
    // how many were given up.
    quint64 dropLost(qint64 nowMs, qint64 lateMs)
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
    // A new connection: nothing written before it will be answered on it.
    void forgetOutstanding() { answered_ = written_; }

    // Polls written so far: a reply answers a poll written after this moment once
    // answersPollAfter() says so.
    quint64 mark() const { return written_; }
    bool answersPollAfter(quint64 mark) const { return answered_ > mark; }
    quint64 waiting() const { return written_ - answered_; }
    // A status reply has answered a poll since the latest was written: the module keeps
    // up, so the next may go even while an earlier one, lost or late, still waits.
    bool answeredSincePoll() const { return answeredSincePoll_; }
    // The line is "quiet" for dropLost() since this moment.
    qint64 quietSinceMs() const { return quietSinceMs_; }

private:
    quint64 written_ = 0;
    quint64 answered_ = 0;
    qint64 quietSinceMs_ = 0;
    bool quietSeen_ = false; // the last dropLost() found the line quiet past the limit
    bool answeredSincePoll_ = false;
};

// True for the text of a status poll as the console writes it: "STT" and its CR.
inline bool isStatusPoll(QStringView text)
{
    return text == u"STT\r";
}

// Calls take(reply) for each reply in a text handed over whole: several may come together,
// each ended by CR, CR LF or LF, a last one perhaps without an end. An acknowledgement ('>'
// or '?') is a reply of one character, so that a module that ends nothing still has its
// status read after it.
template<typename Take>
void forEachReply(QStringView text, Take take)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        if (text[start] == u'>' || text[start] == u'?') {
            take(text.sliced(start, 1));
            ++start;
            continue;
        }
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        if (end > start)
            take(text.sliced(start, end - start));
        start = end + 1;
    }
}
