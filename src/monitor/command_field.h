#pragma once

#include <QString>

#include <optional>

class Form1;

// The line monitor's command field: one command line typed by the operator, sent with CR
// through the window's one write path, so that it is encoded as the send box's lines are and
// an STT typed here is counted with every other status poll.

// Why the typed line is not sent, in the words the field shows; nothing when it may go. A
// speaking run owns the module's speech: MSG and SEL wait until it has ended.
std::optional<QString> commandRefusal(const QString &line, bool portOpen, bool runActive);

// Sends the line unless it is refused; returns what the field shows, and whether it went.
struct CommandOutcome
{
    bool sent = false;
    QString said;
};
CommandOutcome sendTypedCommand(Form1 &form, const QString &line);
