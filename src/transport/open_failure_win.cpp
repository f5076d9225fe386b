#include "transport/open_failure_win.h"
#include "transport/open_failure.h"

#include <qt_windows.h>

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
        // The system's words are in the system's language: a line of their own.
        text = QStringLiteral("%1: cannot open it\n%2").arg(path, systemErrorText(error));
        break;
    }
    if (cause)
        *cause = {kind, QString()};
    return text;
}
