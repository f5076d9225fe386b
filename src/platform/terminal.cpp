#include "platform/terminal.h"

#include <QtGlobal>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
std::function<void()> &eraser()
{
    static std::function<void()> current;
    return current;
}
} // namespace

bool standardErrorIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void setConsoleStatusEraser(std::function<void()> erase)
{
    eraser() = std::move(erase);
}

void eraseConsoleStatus()
{
    if (eraser())
        eraser()();
}
