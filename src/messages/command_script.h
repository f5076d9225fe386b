#pragma once

#include <QList>
#include <QString>

#include <optional>

// A script of module commands, one a line, each sent as written. A line is one of the
// module's commands: MSG+text, STT, CLR0, VER, SPD+number, SSD01, SSD02, EEP+two digits+text,
// SEL+two digits. Blank lines and lines beginning with '#' are skipped.
struct ScriptLine
{
    int number = 0;  // the line's number in the file, from 1
    QString command; // as written, without its line end
};

struct CommandScript
{
    QList<ScriptLine> lines;
    // Set when the script is refused whole: the line (0 for the script as a whole) and what
    // was expected there.
    int refusedLine = 0;
    QString refusal;

    bool isRefused() const { return !refusal.isEmpty(); }
};

// Reads a script from its text. The first line that is no command refuses the whole script,
// as do a character code page 932 lacks, more lines than a run holds, and no command at all.
CommandScript readCommandScript(const QString &text);

// What a line should have been, when it is no command; nothing when it is one.
std::optional<QString> commandExpectation(const QString &line);
