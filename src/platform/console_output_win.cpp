#include "platform/console_output.h"

#include <cstdio>
#include <qt_windows.h>

namespace {

// Where a stream goes: what it was redirected to, else the console the program was started
// from (a program without a console window of its own attaches to it), else nowhere.
HANDLE outputOf(ConsoleStream stream)
{
    static const auto open = [](DWORD which) {
        HANDLE inherited = GetStdHandle(which);
        if (inherited && inherited != INVALID_HANDLE_VALUE)
            return inherited;
        AttachConsole(ATTACH_PARENT_PROCESS); // fails when attached already, or with no console
        return CreateFileW(L"CONOUT$",
                           GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_WRITE,
                           nullptr,
                           OPEN_EXISTING,
                           0,
                           nullptr);
    };
    static const HANDLE output = open(STD_OUTPUT_HANDLE);
    static const HANDLE error = open(STD_ERROR_HANDLE);
    return stream == ConsoleStream::Output ? output : error;
}

// The code page a file or a pipe gets: the console's, else the system's ANSI code page.
QByteArray inCodePage(const QString &text)
{
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0)
        codePage = GetACP();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size
        = WideCharToMultiByte(codePage, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(codePage, 0, wide, int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

} // namespace

void writeToConsole(ConsoleStream stream, const QString &text)
{
    const HANDLE output = outputOf(stream);
    if (output == INVALID_HANDLE_VALUE || text.isEmpty())
        return;
    // Whatever the C library holds goes first, so the order of the lines stays.
    std::fflush(stream == ConsoleStream::Output ? stdout : stderr);
    QString lines = text;
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(output, &mode)) {
        WriteConsoleW(output, lines.utf16(), DWORD(lines.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = inCodePage(lines);
    WriteFile(output, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}
