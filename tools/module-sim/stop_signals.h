#pragma once

#include "unique_fd.h"

#include <QString>

// SIGTERM, SIGINT and SIGHUP as a readable file descriptor, so the poll loop sees them like any
// other event and can end cleanly. Installing blocks their usual delivery for the rest of the run.
// SIGPIPE is ignored, so a closed reader gives EPIPE instead of killing the simulator.
class StopSignals
{
public:
    // Sets up the descriptor; on failure returns false and sets *error.
    bool install(QString *error);

    int fd() const { return m_fd.get(); }

    // Reads the pending signal and returns its number, or 0 if none was pending.
    int take();

private:
    UniqueFd m_fd;
};
