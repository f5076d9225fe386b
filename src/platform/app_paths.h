#pragma once

// The platform room: the operating system's glue (paths, folders, boxes, dialogs, pictures,
// waiting, ending the program). It uses nothing of the console's own.

#include <QString>

// The program's files are found under the current working directory, asked anew at each
// use: the directory joined with a fixed relative name such as "\icon\MISC13.ICO", written
// with the native separator.
QString appFilePath(const QString &relativeName);
