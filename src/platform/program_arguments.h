#pragma once

#include <QStringList>

// The program's arguments after its name, as text. On Windows they are read from the
// process's own Unicode command line, so that a Japanese file name arrives whole on any
// code page; elsewhere argv is decoded as the locale's encoding.
QStringList programArguments(int argc, char *argv[]);
