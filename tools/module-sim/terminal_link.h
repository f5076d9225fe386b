#pragma once

#include <QString>

// A symbolic link to the terminal side, so that a fixed path reaches the simulator. Creating it
// replaces an existing symbolic link at that path, but never a file or a directory. The link is
// removed when this object ends, unless something else has replaced it meanwhile.
class TerminalLink
{
public:
    TerminalLink() = default;
    TerminalLink(const TerminalLink &) = delete;
    TerminalLink &operator=(const TerminalLink &) = delete;
    ~TerminalLink();

    // Makes linkPath point to target; on failure returns false and sets *error.
    bool create(const QString &linkPath, const QString &target, QString *error);

private:
    QString m_linkPath;
    QString m_target;
};
