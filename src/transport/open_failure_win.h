#pragma once

#include "transport/open_failure_cause.h"

#include <QString>

// The system's own words for a Win32 error code, on one line.
QString systemErrorText(unsigned long error);

// Why Windows could not open a port, in words an operator can act on: no such port, in use
// by another program, access denied; else the system's words. cause, when given, gets the
// kind of failure.
QString
explainOpenFailure(const QString &path, unsigned long error, OpenFailureCause *cause = nullptr);
