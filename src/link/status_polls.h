#pragma once

#include <QStringView>
#include <QtGlobal>

#include <QString>

#include <deque>

// The module's status polls ("STT") and the status replies that answer them, counted once
// for the whole console: every poll written, by whoever writes it, is numbered here, and the
// pump, the transcript and the report read the same numbers.
//
// The module answers polls in the order they were written, one status reply each, however
// late, so the n-th status reply answers the n-th poll unless a poll or its reply was lost on
// the way. A reply is known to describe the module after some moment (a line written, 発話,
// the port opened) when it answers a poll written after it: mark() taken at that moment,
// answersPollAfter(mark) once the reply is in.
//
// Lost polls are found where the stream shows them. Every other command the module answers
// in the same order: a line, a chime, 再生 or CLR0 with its acknowledgement ('>' or '?'), VER
// with its version. Such an answer comes after the replies to every poll written before its
// command, so the polls written before it that are still waiting will never be answered:
// they are dropped then. Acknowledgements are matched to the commands written in order, as
// polls are, so a '?' is put on the command it answers. For a module that acknowledges
// nothing the waiting polls are dropped only once the line has been quiet for longer than
// any reply could be late.
//
// The next poll goes once a status reply has come since the latest, or once that one has
// waited timeoutMs; a poll timed out stays waiting: its late reply still answers it, not the
// poll after it. Times are milliseconds on any one steady clock.
class StatusPolls
{
public:
    // A poll unanswered this long lets the next go out.
    static constexpr int timeoutMs = 1000;
    // The window's bound on a late reply: polls still waiting after this long without a
    // reply are lost. Scripted runs take their --timeout instead.
    static constexpr int windowLateMs = 3000;
    // Commands kept waiting for their answer; a module that answers none of them keeps only
    // the latest.
    static constexpr qsizetype keptCommands = 64;

    // What an answer other than a status reply told.
    struct Marker
    {
        QString command;  // the command it answers (without its CR); empty: none waited
        int line = -1;    // the run's line index that command was, if it was one
        quint64 lost = 0; // polls written before the command and never answered
    };

    // A poll has been written; returns its number (1, 2, ...).
    quint64 written(qint64 nowMs);
    // A command other than a poll has been written; line: its index in the run, if any.
    void commandWritten(QStringView text, int line = -1, qint64 nowMs = 0);
    // A status reply has come: returns the number of the poll it answers, the oldest one
    // waiting; 0 when none waits, and the reply answers nothing. idle: the reply says the
    // module is idle.
    quint64 answered(qint64 nowMs, bool idle = false);
    // An acknowledgement ('>' or '?') or a version reply has come.
    Marker acknowledged(qint64 nowMs);
    Marker versionAnswered(qint64 nowMs);
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
    quint64 dropLost(qint64 nowMs, qint64 lateMs);
    // A new connection: nothing written before it will be answered on it.
    void forgetOutstanding();

    // Polls written so far: a reply answers a poll written after this moment once
    // answersPollAfter() says so.
    quint64 mark() const { return written_; }
    // Polls given up as lost answer nothing: only a status reply counts here.
    bool answersPollAfter(quint64 mark) const { return lastAnswered_ > mark; }
    quint64 waiting() const { return written_ - answered_; }
    // A status reply has answered a poll since the latest was written: the module keeps
    // up, so the next may go even while an earlier one, lost or late, still waits.
    bool answeredSincePoll() const { return answeredSincePoll_; }
    // The line is "quiet" for dropLost() since this moment.
    qint64 quietSinceMs() const { return quietSinceMs_; }
    // The module has been seen to send status unasked (or twice) on this connection: a
    // command's answer came after status replies taken for answers to polls written after
    // that command, which a module answering in order never sends.
    bool sendsUnasked() const { return unasked_; }
    // The module has acknowledged a command on this connection.
    bool acknowledges() const { return acknowledges_; }
    // A command written before mark still waits for its answer (for less than lateMs).
    // Status replies before that answer say nothing of the module since the command,
    // whatever poll they seem to answer. A module that has acknowledged nothing on this
    // connection is waited for a poll time-out at most; once it has left a command
    // unanswered that long it does not acknowledge, and nothing is waited for.
    bool answerAwaited(quint64 mark, qint64 nowMs, qint64 lateMs) const;
    // For a module that sends status unasked, where a reply cannot be paired with a poll: an
    // idle status is taken as newer than a moment (a line, 発話) only after two idle replies
    // in a row since the latest answer of a command and restartIdleRun() at that moment.
    void restartIdleRun() { idleInRow_ = 0; }
    bool idleSettledAfter(quint64 mark) const { return idleInRow_ >= 2 && answersPollAfter(mark); }

private:
    enum class AnswerKind { Acknowledgement, Version };
    struct Command
    {
        QString text;
        int line = -1;
        quint64 pollMark = 0; // polls written before it
        qint64 writtenMs = 0;
        AnswerKind kind = AnswerKind::Acknowledgement;
    };
    Marker answerOf(AnswerKind kind);

    quint64 written_ = 0;
    quint64 answered_ = 0;     // answered or given up as lost
    quint64 lastAnswered_ = 0; // the poll the latest status reply answered
    qint64 quietSinceMs_ = 0;
    bool quietSeen_ = false; // the last dropLost() found the line quiet past the limit
    bool answeredSincePoll_ = false;
    bool unasked_ = false;
    bool acknowledges_ = false;
    int idleInRow_ = 0;
    std::deque<Command> commands_;
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
