#include "platform/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString installedDataFolder()
{
#ifdef Q_OS_WIN
    // The installer and the zip put them beside the programs.
    return QCoreApplication::applicationDirPath();
#else
    return QDir::cleanPath(QCoreApplication::applicationDirPath()
                           + QStringLiteral("/../share/parlino"));
#endif
}

QString userDataFolder()
{
    // %LOCALAPPDATA% on Windows: the files belong to this machine's user, not to a roaming
    // profile, as the port they name does.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("/PARLINO");
#else
    const QString name = QStringLiteral("/parlino");
#endif
    return data.isEmpty() ? QString() : data + name;
}

bool folderExists(const QString &path)
{
    return QFileInfo(path).isDir();
}

bool fileExists(const QString &path)
{
    return QFileInfo(path).isFile();
}

bool makeFolder(const QString &path, QString *error)
{
    if (QDir().mkpath(path))
        return true;
    *error = QStringLiteral("cannot make the folder %1").arg(path);
    return false;
}

bool makeFolderFor(const QString &filePath, QString *error)
{
    return makeFolder(QFileInfo(filePath).absolutePath(), error);
}

bool copyNewFile(const QString &from, const QString &to, QString *error)
{
    if (!makeFolderFor(to, error))
        return false;
    // QFile::copy refuses an existing target, so a file of the user's is never replaced.
    QFile source(from);
    if (source.copy(to))
        return true;
    *error = QStringLiteral("cannot copy %1 to %2: %3").arg(from, to, source.errorString());
    return false;
}

QString absolutePath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

bool enterFolder(const QString &path)
{
    return QDir::setCurrent(path);
}
