#pragma once

#include <QString>
#include <QStringView>

// The text with control characters and backslashes written as escapes: \r, \n, \t, \\ and
// \xNN for the others. The transcript, the reports and the simulator's log show text so.
QString visibleText(QStringView text);
