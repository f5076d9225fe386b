#include "work_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

WorkFolder::WorkFolder()
    : previous_(QDir::currentPath())
{
    const QDir data(QStringLiteral(PARLINO_DATA_DIR));
    QDirIterator files(data.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = dir_.filePath(data.relativeFilePath(source));
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(source, target);
    }
    QDir::setCurrent(dir_.path());
}

WorkFolder::~WorkFolder()
{
    QDir::setCurrent(previous_);
}
