#pragma once

#include <QString>

// The program's files are found under the current working directory, asked anew at each
// use: the directory joined with a fixed relative name such as "\icon\MISC13.ICO", written
// with the native separator.
QString appFilePath(const QString &relativeName);
