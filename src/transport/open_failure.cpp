#include "transport/open_failure.h"
#include "transport/qt_open_failure.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

QStringList portLockFolders()
{
    return {QStringLiteral("/var/lock"),
            QStringLiteral("/etc/locks"),
            QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"),
            QStringLiteral("/tmp"),
            QStringLiteral("/var/tmp"),
            QStringLiteral("/var/lock/lockdev"),
            QStringLiteral("/run/lock")};
}

namespace {

// Qt locks a port with a file named after the device below the first of these folders
// that exists; "/dev/pts/3" becomes "LCK..pts_3", "/dev/ttyUSB0" "LCK..ttyUSB0".
QString lockFileOf(const QString &path)
{
    QString name = path;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(u'/', u'_');
    for (const QString &folder : portLockFolders()) {
        const QString candidate = folder + QStringLiteral("/LCK..") + name;
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return QString();
}

// The process id a lock file names, in the forms serial programs write: ASCII digits,
// with or without leading spaces ("%10d\n"), with or without further lines (Qt adds the
// program and host), or the old binary form, the id as four bytes. 0 when it names none.
qint64 lockPid(const QByteArray &content)
{
    const qsizetype lineEnd = content.indexOf('\n');
    const QByteArray first = (lineEnd < 0 ? content : content.left(lineEnd)).trimmed();
    bool ascii = false;
    const qint64 pid = first.toLongLong(&ascii);
    if (ascii)
        return pid > 0 ? pid : 0;
    if (content.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

bool processIsAlive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString processName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll().trimmed());
}

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

QString portHolder(const QString &path, OpenFailureCause *cause)
{
    const QString lockFile = lockFileOf(path);
    if (lockFile.isEmpty())
        return QString();
    QFile lock(lockFile);
    if (!lock.open(QIODevice::ReadOnly))
        return QString();
    const qint64 pid = lockPid(lock.read(4096));
    lock.close();
    if (pid == 0)
        return QString();
    if (!processIsAlive(pid)) {
        // Its process has ended: the port is free. Qt reads only its own form and would
        // take the old binary one for a live lock, so the stale lock goes here.
        QFile::remove(lockFile);
        return QString();
    }
    const QString name = processName(pid);
    const QString holder
        = name.isEmpty() ? QString::number(pid) : QStringLiteral("%1 (%2)").arg(name).arg(pid);
    return classified(cause,
                      OpenFailureKind::InUse,
                      holder,
                      QStringLiteral("%1: in use by another program (process %2%3, lock file %4)")
                          .arg(path,
                               QString::number(pid),
                               name.isEmpty() ? QString() : QStringLiteral(" ") + name,
                               lockFile));
}

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
    if (const QString holder = portHolder(path, cause); !holder.isEmpty())
        return holder;
    if (const QString lockFile = lockFileOf(path); !lockFile.isEmpty())
        return classified(
            cause,
            OpenFailureKind::InUse,
            QString(),
            QStringLiteral("%1: in use by another program (lock file %2)").arg(path, lockFile));
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

void reportToConsole(const QString &line)
{
    std::fprintf(stderr, "parlino: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}
