#include "platform/program_arguments.h"

#include <qt_windows.h>
#include <shellapi.h>

QStringList programArguments(int argc, char *argv[])
{
    // argv holds the arguments in the ANSI code page, where characters outside it are lost;
    // the command line itself is Unicode, split by the rules argv follows.
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments.append(QString::fromLocal8Bit(argv[i]));
        return arguments;
    }
    QStringList arguments;
    for (int i = 1; i < count; ++i)
        arguments.append(QString::fromWCharArray(wide[i]));
    LocalFree(wide);
    return arguments;
}
