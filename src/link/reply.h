#pragma once

#include <QStringView>

// The module's replies are recognised by their first characters alone, compared exactly and
// case-sensitively; a text shorter than the prefix never matches.
inline bool beginsWith(QStringView text, QStringView prefix)
{
    return text.startsWith(prefix, Qt::CaseSensitive);
}

// What the beginning of a received text says about the module.
enum class ReplyClass {
    None,     // no status reply: empty, a version reply, a fragment, capitals ...
    Idle,     // "stt 0"
    Speaking, // "stt 1"
    Error,    // "stt-1": the module found an error in the data sent
    Other,    // "stt" followed by anything else
};

ReplyClass classifyReply(QStringView received);
