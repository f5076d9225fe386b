#include "platform/console_output.h"

#include "platform/terminal.h"

#include <cstdio>

#ifndef Q_OS_WIN
void writeToConsole(ConsoleStream stream, const QString &text)
{
    std::FILE *file = stream == ConsoleStream::Output ? stdout : stderr;
    std::fputs(text.toLocal8Bit().constData(), file);
    std::fflush(file);
}
#endif

void reportToConsole(const QString &line)
{
    eraseConsoleStatus();
    // A cause of several lines (the system's own words on one of their own) stays one
    // message: its further lines are indented.
    QString text = line;
    text.replace(u'\n', QStringLiteral("\n  "));
    writeToConsole(ConsoleStream::Error, QStringLiteral("parlino: ") + text + u'\n');
}
