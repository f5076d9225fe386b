#pragma once

#include "unique_fd.h"

#include <QString>
#include <optional>

// A pseudo-terminal pair in raw mode. The simulator talks on the master side; the console opens
// the terminal side by its path. The simulator keeps the terminal side open as well, so the
// master never sees a hang-up when the console closes its end.
class PseudoTerminal
{
public:
    // Opens a pair; on failure returns nothing and sets *error.
    static std::optional<PseudoTerminal> open(QString *error);

    int master() const { return m_master.get(); }
    QString terminalPath() const { return m_terminalPath; }

private:
    UniqueFd m_master;
    UniqueFd m_terminal;
    QString m_terminalPath;
};
