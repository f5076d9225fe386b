#pragma once

#include <QString>

#include <optional>

// Joins what the module sends into whole replies. A reply ends with CR (or CR LF); text up
// to and including the last line end received is handed over at once, two replies in one
// arrival staying together; what follows it waits for its own CR, or for the quiet gap after
// which a module that answers without CR is still heard (flush).
class ReplyAssembler
{
public:
    // How long text without CR waits for more before it is handed over as it stands.
    static constexpr int quietGapMs = 200;
    // Text without CR is handed over once it grows this long: no reply is anywhere near it,
    // and a stream of noise must not pile up.
    static constexpr qsizetype maxPending = 4096;

    struct Taken
    {
        // An LF that arrived on its own after a reply ended by CR: it belongs to that reply.
        bool lineFeedOfLast = false;
        // The text now complete, if any.
        std::optional<QString> complete;
    };

    // Takes one arrival.
    Taken add(const QString &arrival);
    // Hands over what waits without CR, if anything.
    std::optional<QString> flush();
    bool hasPending() const { return !pending_.isEmpty(); }
    void clear();

private:
    QString pending_;
    bool lastEndedWithCr_ = false;
};
