#include "transport/open_failure.h"

#include "transport/device_locks.h"
#include "transport/qt_open_failure.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Notes the kind of failure for the caller that asked for it; the text it explains is
// returned unchanged.
QString classified(OpenFailureCause *cause,
                   OpenFailureKind kind,
                   const QString &subject,
                   const QString &text)
{
    if (cause)
        *cause = {kind, subject};
    return text;
}

} // namespace

QString explainNoAccess(const QString &path, OpenFailureCause *cause)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return classified(cause,
                          OpenFailureKind::NoAccess,
                          QString(),
                          QStringLiteral("%1: permission denied").arg(path));
    const group *owners = ::getgrgid(info.st_gid);
    const QString group
        = owners ? QString::fromLocal8Bit(owners->gr_name) : QString::number(info.st_gid);
    const bool groupMayUse = (info.st_mode & S_IRGRP) && (info.st_mode & S_IWGRP);
    if (group == QLatin1String("root") || !groupMayUse)
        return classified(
            cause,
            OpenFailureKind::OnlyRoot,
            group,
            QStringLiteral("%1: permission denied; only root may open it (group %2, mode %3). "
                           "A udev rule giving it to the group dialout "
                           "(GROUP=\"dialout\", MODE=\"0660\"), or its owner, can let you in")
                .arg(path, group)
                .arg(info.st_mode & 0777, 3, 8, QLatin1Char('0')));
    return classified(cause,
                      OpenFailureKind::NoAccess,
                      group,
                      QStringLiteral("%1: permission denied; join the group %2 "
                                     "(sudo usermod -aG %2 $USER, then log in again)")
                          .arg(path, group));
}

QString explainOpenFailure(const QString &path,
                           QSerialPort::SerialPortError error,
                           const QString &errorString,
                           OpenFailureCause *cause)
{
    // Only reads: a stale lock is taken over by the open, not by its explanation.
    const QList<PortLock> locks = readDeviceLocks(path);
    if (const PortLock *lock = lockInTheWay(locks, true))
        return classified(cause, lock->failure.kind, lock->failure.subject, lock->cause);
    if (error == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(path))
        return classified(cause,
                          OpenFailureKind::NoSuchDevice,
                          QString(),
                          QStringLiteral("%1: no such device").arg(path));
    if (error == QSerialPort::PermissionError
        && ::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0)
        return explainNoAccess(path, cause);
    return classified(
        cause, OpenFailureKind::Other, QString(), QStringLiteral("%1: %2").arg(path, errorString));
}

QString explainDeviceLoss(const QString &path)
{
    // The system's own words ("Inappropriate ioctl for device") tell an operator nothing.
    if (!QFileInfo::exists(path))
        return QStringLiteral("%1: the device was removed").arg(path);
    return QStringLiteral("%1: the device stopped answering (removed, switched off or reset)")
        .arg(path);
}
