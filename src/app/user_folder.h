#pragma once

#include "app/command_line.h"

// Chooses the working folder of the window before the window reads its files. A folder that
// holds any of the console's files stays the working folder, as does any folder when the
// program does not run from an installed tree. Otherwise, and always with --user-folder (the
// menu entry's way to start), the console works in the per-user folder, which its first start
// makes and fills with the installed default presets and icons; a folder that holds any of
// them or a settings file is the user's and is left as it is (one that holds only the ports
// file, made by a terminal run, is filled). A relative transcript path still names a file in the
// folder the program was started from.
void chooseWorkingFolder(CommandLine &line);
