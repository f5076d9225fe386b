#pragma once

#include <QString>

#include <memory>

class QLockFile;

// A lock beside a file (its name with ".lock" added), held for as long as the object lives, so
// that programs which read a file and add to it take turns: each reads what the one before
// wrote. A lock whose program has ended is taken over.
class FileLock
{
public:
    FileLock();
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Waits for the lock for at most waitMs. False, with the reason, when it was not taken.
    bool lock(const QString &file, int waitMs, QString *error);

private:
    std::unique_ptr<QLockFile> lock_;
};
