#pragma once

#include <QtGlobal>

// A field of this process's /proc/self/status in kB, such as "VmRSS" or "VmHWM", or of another
// process's when its id is given; -1 when it cannot be read.
qint64 procStatusKb(const char *field, qint64 pid = 0);
