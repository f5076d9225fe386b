#include "transport/open_failure_win.h"
#include "transport/open_failure.h"

#include "platform/terminal.h"

#include <cstdio>
#include <qt_windows.h>

QStringList portLockFolders()
{
    return {};
}

QString systemErrorText(unsigned long error)
{
    wchar_t *buffer = nullptr;
    const DWORD size = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                          | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr,
                                      error,
                                      0,
                                      reinterpret_cast<wchar_t *>(&buffer),
                                      0,
                                      nullptr);
    QString text = size ? QString::fromWCharArray(buffer, int(size)).simplified() : QString();
    LocalFree(buffer);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("system error %1").arg(error) : text;
}

QString explainDeviceLoss(const QString &path)
{
    return QStringLiteral("%1: the device was removed or stopped answering").arg(path);
}

QString explainOpenFailure(const QString &path, unsigned long error, OpenFailureCause *cause)
{
    OpenFailureKind kind = OpenFailureKind::Other;
    QString text;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
        kind = OpenFailureKind::NoSuchDevice;
        text = QStringLiteral("%1: no such port").arg(path);
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        kind = OpenFailureKind::InUse;
        text = QStringLiteral("%1: in use by another program").arg(path);
        break;
    case ERROR_ACCESS_DENIED:
        // What Windows answers both for a port another program holds and for one this user
        // may not open; the first is by far the more common.
        kind = OpenFailureKind::InUse;
        text = QStringLiteral("%1: access denied (in use by another program, or not open to "
                              "this user)")
                   .arg(path);
        break;
    default:
        text = QStringLiteral("%1: %2").arg(path, systemErrorText(error));
        break;
    }
    if (cause)
        *cause = {kind, QString()};
    return text;
}

namespace {

// A program without a console window writes to the console it was started from, when there
// is one; else to whatever its standard error was redirected to, or nowhere.
HANDLE errorOutput()
{
    static const HANDLE handle = [] {
        HANDLE inherited = GetStdHandle(STD_ERROR_HANDLE);
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
    }();
    return handle;
}

} // namespace

void reportToConsole(const QString &line)
{
    eraseConsoleStatus();
    const HANDLE output = errorOutput();
    if (output == INVALID_HANDLE_VALUE)
        return;
    const QString text = QStringLiteral("parlino: ") + line + QStringLiteral("\r\n");
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(output, &mode)) {
        // A console shows the text as it is, Japanese included, whatever its code page.
        WriteConsoleW(output, text.utf16(), DWORD(text.size()), &written, nullptr);
        return;
    }
    // A file or a pipe gets UTF-8, as the Linux program writes it.
    std::fflush(stderr);
    const QByteArray bytes = text.toUtf8();
    WriteFile(output, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}
