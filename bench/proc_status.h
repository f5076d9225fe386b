#pragma once

#include <QtGlobal>

// A field of this process's /proc/self/status in kB, such as "VmRSS" or "VmHWM"; -1 when it
// cannot be read.
qint64 procStatusKb(const char *field);
