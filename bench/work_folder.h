#pragma once

#include <QString>
#include <QTemporaryDir>

// A working folder for the console: a temporary folder holding a copy of data/ (the presets
// and the icons), made the current directory for as long as this object lives, since the
// console looks up its files there.
class WorkFolder
{
public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    QString filePath(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};
