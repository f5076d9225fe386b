#include "transport/device_locks.h"

#include "transport/port_inventory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
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

// The highest process id Linux can give: a larger number in a lock is no process.
constexpr qint64 highestPid = 4194304;

// Qt names a lock after the device below /dev, slashes made underscores: "/dev/pts/3" is
// "LCK..pts_3", "/dev/serial/by-id/usb-X" "LCK..serial_by-id_usb-X".
QString lockFileName(const QString &device)
{
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    return QStringLiteral("LCK..") + name.replace(u'/', u'_');
}

// The lock folders that exist, each once (/var/lock is often a link to /run/lock).
QStringList existingLockFolders()
{
    QStringList folders;
    QStringList seen;
    for (const QString &folder : portLockFolders()) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real))
            continue;
        seen.append(real);
        folders.append(folder);
    }
    return folders;
}

// The process id a lock file names, in the forms serial programs write: ASCII digits,
// with or without leading spaces ("%10d\n"), with or without further lines (Qt adds the
// program and host), or the old binary form, the id as four bytes. 0 when it names none.
qint64 lockPid(const QByteArray &content)
{
    const qsizetype lineEnd = content.indexOf('\n');
    const QByteArray first = (lineEnd < 0 ? content : content.left(lineEnd)).trimmed();
    bool ascii = false;
    qint64 pid = first.toLongLong(&ascii);
    if (!ascii && content.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        pid = binary;
    }
    return pid > 0 && pid <= highestPid ? pid : 0;
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

// True when an open file of this process holds the lock file: Qt's lock keeps an exclusive
// flock on it for as long as it is taken, which even a shared one tried from here cannot get.
// The shared try, let go at once, is the lightest look there is.
bool heldByThisProcess(const QString &lockFile)
{
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// A lock held by a live process, named as the operator reads it.
PortLock heldLock(PortLock::State state, const QString &path, const QString &lockFile, qint64 pid)
{
    const QString name = processName(pid);
    const QString label
        = QString::number(pid) + (name.isEmpty() ? QString() : QStringLiteral(" ") + name);
    const QString holder
        = name.isEmpty() ? QString::number(pid) : QStringLiteral("%1 (%2)").arg(name).arg(pid);
    const QString text = state == PortLock::State::HeldHere
                             ? QStringLiteral("%1: in use by this program already (process %2, "
                                              "lock file %3)")
                             : QStringLiteral("%1: in use by another program (process %2, "
                                              "lock file %3)");
    return {state, lockFile, text.arg(path, label, lockFile), {OpenFailureKind::InUse, holder}};
}

PortLock noRunningProgram(const QString &path, const QString &lockFile, const QString &what)
{
    return {PortLock::State::Unusable,
            lockFile,
            QStringLiteral("%1: the lock file %2 %3; it names no running program and may be "
                           "removed if no program uses the port")
                .arg(path, lockFile, what),
            {OpenFailureKind::OrphanLock, lockFile}};
}

PortLock staleLock(const QString &path, const QString &lockFile, qint64 pid)
{
    // Said only when it could not be taken over (another user's, in a folder that keeps it).
    return {PortLock::State::Stale,
            lockFile,
            QStringLiteral("%1: the lock file %2 names process %3, which has ended, and cannot "
                           "be removed from here; it may be removed if no program uses the port")
                .arg(path, lockFile)
                .arg(pid),
            {OpenFailureKind::OrphanLock, lockFile}};
}

// What the lock file says about the device opened as path.
PortLock judgeLock(const QString &path, const QString &lockFile)
{
    const QFileInfo info(lockFile);
    if (info.isSymLink() && !info.exists())
        return noRunningProgram(
            path,
            lockFile,
            QStringLiteral("is a link to %1, which does not exist").arg(info.symLinkTarget()));
    if (info.isDir())
        return noRunningProgram(path, lockFile, QStringLiteral("is a folder"));
    QFile lock(lockFile);
    if (!lock.open(QIODevice::ReadOnly))
        return noRunningProgram(
            path, lockFile, QStringLiteral("cannot be read (%1)").arg(lock.errorString()));
    const QByteArray content = lock.read(4096);
    lock.close();
    if (content.isEmpty())
        return noRunningProgram(path, lockFile, QStringLiteral("is empty"));
    const qint64 pid = lockPid(content);
    if (pid == 0)
        return noRunningProgram(path, lockFile, QStringLiteral("holds no process id"));
    if (pid == QCoreApplication::applicationPid()) {
        // This process has not opened the device (or it would not ask): the lock is left from
        // an ended process that had the same id, as after a restart in a container.
        if (!heldByThisProcess(lockFile))
            return staleLock(path, lockFile, pid);
        return heldLock(PortLock::State::HeldHere, path, lockFile, pid);
    }
    if (!processIsAlive(pid))
        return staleLock(path, lockFile, pid);
    return heldLock(PortLock::State::Held, path, lockFile, pid);
}

} // namespace

QStringList deviceLockNames(const QString &path)
{
    QStringList names{path};
    const QString real = QFileInfo(path).canonicalFilePath();
    if (!real.isEmpty() && real != path)
        names.append(real);
    return names;
}

QString deviceNumberLockName(const QString &path)
{
    const std::optional<DeviceNumbers> numbers = deviceNumbers(path);
    return numbers ? QStringLiteral("LCK.char.%1.%2").arg(numbers->major).arg(numbers->minor)
                   : QString();
}

QList<PortLock> readDeviceLocks(const QString &path)
{
    QList<PortLock> locks;
    const QStringList folders = existingLockFolders();
    QStringList lockNames;
    for (const QString &name : deviceLockNames(path))
        lockNames.append(lockFileName(name));
    if (const QString numbers = deviceNumberLockName(path); !numbers.isEmpty())
        lockNames.append(numbers);
    for (const QString &lockName : std::as_const(lockNames)) {
        for (const QString &folder : folders) {
            const QString lockFile = folder + u'/' + lockName;
            const QFileInfo info(lockFile);
            if (info.exists() || info.isSymLink())
                locks.append(judgeLock(path, lockFile));
        }
    }
    return locks;
}

const PortLock *lockInTheWay(const QList<PortLock> &locks, bool staleToo)
{
    for (const PortLock &lock : locks) {
        if (lock.state != PortLock::State::Stale)
            return &lock;
    }
    return staleToo && !locks.isEmpty() ? &locks.first() : nullptr;
}

void removeStaleLocks(const QList<PortLock> &locks)
{
    // Qt reads only its own form and would take the others for live locks, or a live one in
    // another form for a stale one after a while; so the stale ones go here, before it looks.
    for (const PortLock &lock : locks) {
        if (lock.state == PortLock::State::Stale)
            QFile::remove(lock.file);
    }
}

namespace {

// Takes the lock file of this name in the folder Qt itself would lock a port in: the first
// that can be read and that holds the lock already or can be written.
std::unique_ptr<QLockFile> takeLock(const QString &path, const QString &name, PortLock *refusal)
{
    for (const QString &folder : portLockFolders()) {
        const QFileInfo folderInfo(folder);
        const QString lockFile = folder + u'/' + name;
        if (!folderInfo.isReadable() || (!QFileInfo::exists(lockFile) && !folderInfo.isWritable()))
            continue;
        auto lock = std::make_unique<QLockFile>(lockFile);
        // Stale locks were taken over before the open: one that stands now is another's.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0))
            return lock;
        // Taken since the locks were read: whoever holds it now is named as any holder is.
        if (lock->error() == QLockFile::LockFailedError)
            *refusal = judgeLock(path, lockFile);
        return nullptr;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<QLockFile> lockRealName(const QString &path, PortLock *refusal)
{
    const QStringList names = deviceLockNames(path);
    if (names.size() < 2)
        return nullptr;
    return takeLock(path, lockFileName(names.last()), refusal);
}

std::unique_ptr<QLockFile> lockDeviceNumbers(const QString &path, PortLock *refusal)
{
    const QString name = deviceNumberLockName(path);
    return name.isEmpty() ? nullptr : takeLock(path, name, refusal);
}
