#pragma once

#include "transport/open_failure_cause.h"

#include <QList>
#include <QString>

#include <memory>

class QLockFile;

// The serial lock files of a device ("LCK..<name>" in /var/lock and the other usual lock
// folders), read in the forms serial programs write. A device is one whatever name it is
// opened by, so it is checked under every name it has: the name given and its real name, with
// links resolved (/dev/serial/by-id/... leads to /dev/ttyUSB0, the name other programs lock).
// Beside those, the console locks the device by its numbers ("LCK.char.<major>.<minor>"),
// which every name of it leads to: a bind mount, a second node made with mknod on any file
// system, a link. (The System V form "LK.<file system>.<major>.<minor>" names the node's file
// system too, and so misses a second node made on another one.)

// One lock file and what it says.
struct PortLock
{
    enum class State {
        Held,     // names a running process: the port is theirs
        HeldHere, // names this process, which holds it (an open of its own)
        Stale,    // names a process that has ended, or this one without holding it
        Unusable, // names no process: empty, unreadable, garbage, a folder or a broken link
    };
    State state = State::Stale;
    QString file;
    // What the operator reads ("in use by another program (process ...)"); for a stale lock,
    // why it still stands in the way should taking it over fail.
    QString cause;
    // The same, as the window words it: in use (by whom), or a lock to remove (which).
    OpenFailureCause failure;
};

// The folders Qt's serial port makes its lock files in, the first that exists, in its order.
QStringList portLockFolders();

// The names the device is locked under: the name given, then its real name when links
// lead elsewhere.
QStringList deviceLockNames(const QString &path);

// The name of the lock of the device's numbers ("LCK.char.188.0"); empty when the path leads
// to no character device.
QString deviceNumberLockName(const QString &path);

// Every lock of the device, under each of its names and its numbers, in each lock folder.
// Reading changes nothing.
QList<PortLock> readDeviceLocks(const QString &path);

// The lock that keeps the device from being opened: the first that is held, or that names no
// running program (its cause says so, with its path, and that it may be removed if no program
// uses the port); with staleToo, else a stale one (that could not be taken over). Null when
// nothing stands in the way.
const PortLock *lockInTheWay(const QList<PortLock> &locks, bool staleToo = false);

// Removes the stale locks among them, so that the open that follows can take the port over.
void removeStaleLocks(const QList<PortLock> &locks);

// Takes the lock of the device's real name while the device is open under another name, so
// that programs which lock the real name see it in use. Null, with the refusal's cause set,
// when another took it first; null with none when the device has no other name or no lock
// folder can be written (the lock of the name given still stands). Released when the lock is
// destroyed.
std::unique_ptr<QLockFile> lockRealName(const QString &path, PortLock *refusal);

// Takes the lock of the device's numbers while it is open, so that another console that
// reaches it by any other name finds it in use. Null, with the refusal's cause set, when
// another took it first; null with none when no lock folder can be written.
std::unique_ptr<QLockFile> lockDeviceNumbers(const QString &path, PortLock *refusal);
