#pragma once

#include "report/run_record.h"

#include <QString>

// The one line a scripted run ends with on standard error: lines spoken, errors, and the
// speaking time per line as min, median and max, e.g.
// "12 lines spoken, 0 errors; speaking time min 0.81 s, median 1.32 s, max 3.05 s", followed
// by the module's version when the run asked for it.
QString runSummary(const RunRecord &record);
