#pragma once

#include <QString>

#include <optional>

// Joins what the module sends into whole replies. A reply ends with CR, LF or CR LF; text up
// to and including the last line end received is handed over at once, two replies in one
// arrival staying together. What follows waits for its own end, whatever pauses lie inside
// it (a network path can hold a reply back byte by byte), up to replyBoundMs from its first
// byte or replyBoundBytes, which no reply of the module reaches: then it is handed over as a
// cut reply. A module that has ended no reply on this connection answers without any end,
// and its text is handed over once the line has been quiet for quietGapMs (flush).
class ReplyAssembler
{
public:
    // How long text waits for more from a module that ends no reply.
    static constexpr int quietGapMs = 200;
    // The bounds on one reply of a module that ends its replies.
    static constexpr int replyBoundMs = 2000;
    static constexpr qsizetype replyBoundBytes = 256;
    // Text without an end from a module that ends none is handed over once it grows this
    // long: no reply is anywhere near it, and a stream of noise must not pile up.
    static constexpr qsizetype maxPending = 4096;

    struct Taken
    {
        // An LF that arrived on its own after a reply ended by CR: it belongs to that reply.
        bool lineFeedOfLast = false;
        // The text now complete, if any.
        std::optional<QString> complete;
        // complete is a reply cut off by the bounds, not ended by the module.
        bool cut = false;
    };

    // Takes one arrival, at this time (milliseconds on the caller's clock).
    Taken add(const QString &arrival, qint64 nowMs = 0);
    // Hands over what waits without an end, if anything.
    std::optional<QString> flush();
    bool hasPending() const { return !pending_.isEmpty(); }
    // When what waits is to be handed over by flush(): after the quiet gap for a module that
    // ends nothing, at the bound for one that ends its replies.
    qint64 dueAtMs() const;
    // The module has ended a reply with CR or LF on this connection.
    bool endsReplies() const { return endsReplies_; }
    // A new connection: nothing waits, and nothing is known of the module.
    void clear();

private:
    QString pending_;
    qint64 pendingSinceMs_ = 0;
    qint64 lastArrivalMs_ = 0;
    bool lastEndedWithCr_ = false;
    bool endsReplies_ = false;
};
