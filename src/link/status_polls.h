#pragma once

#include <QStringView>
#include <QtGlobal>

// The module's status polls ("STT") and the status replies that answer them. The module
// answers polls in the order they were written, one status reply each, so the n-th status
// reply answers the n-th poll. A reply is known to describe the module after some moment
// (a line written, 発話, the port opened) when it answers a poll written after it: mark()
// taken at that moment, answersPollAfter(mark) once the reply is in.
class StatusPolls
{
public:
    // A poll unanswered this long is taken as lost: the next may go out.
    static constexpr int timeoutMs = 1000;

    // A poll has been written.
    void written() { ++written_; }
    // A status reply has come. False when no poll was waiting for one: it answers nothing.
    bool answered()
    {
        if (answered_ >= written_)
            return false;
        ++answered_;
        return true;
    }
    // Polls written so far: a reply answers a poll written after this moment once
    // answersPollAfter() says so.
    quint64 mark() const { return written_; }
    bool answersPollAfter(quint64 mark) const { return answered_ > mark; }
    bool inFlight() const { return answered_ < written_; }
    // The polls waiting now will not be answered (a time-out, a new connection).
    void forgetOutstanding() { answered_ = written_; }

private:
    quint64 written_ = 0;
    quint64 answered_ = 0;
};

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
