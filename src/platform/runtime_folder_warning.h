#pragma once

#include <QString>

// Qt warns on every start where XDG_RUNTIME_DIR is not set (containers, CI jobs, su) and then
// uses a private folder of its own, which is all the console needs. This drops that one
// warning before the application starts; every other message goes on as before.
void quietRuntimeFolderWarning();

// True for Qt's warning that XDG_RUNTIME_DIR is not set.
bool isRuntimeFolderWarning(const QString &message);
