#include "platform/file_lock.h"

#include <QLockFile>

FileLock::FileLock() = default;
FileLock::~FileLock() = default;

bool FileLock::lock(const QString &file, int waitMs, QString *error)
{
    const QString name = file + QStringLiteral(".lock");
    lock_ = std::make_unique<QLockFile>(name);
    if (lock_->tryLock(waitMs))
        return true;
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        *error = QStringLiteral("%1 is held by another program").arg(name);
        break;
    case QLockFile::PermissionError:
        *error = QStringLiteral("%1 cannot be made (no permission)").arg(name);
        break;
    default:
        *error = QStringLiteral("%1 cannot be made").arg(name);
        break;
    }
    lock_.reset();
    return false;
}
