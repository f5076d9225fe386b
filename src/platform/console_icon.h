#pragma once

#include <QIcon>
#include <QStringList>

// The folders of the hicolor icon theme the console's own icon is installed into
// (/usr/share/icons/hicolor and the other XDG data folders), then the one a build tree draws
// it into beside the program.
QStringList consoleIconThemeFolders();

// The console's own icon, at every size found in the first theme folder that holds it
// (NxN/apps/parlino.png); null when none does.
QIcon consoleIcon(const QStringList &themeFolders = consoleIconThemeFolders());
