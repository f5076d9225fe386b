#include "platform/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

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

#ifdef Q_OS_WIN
QString userDataFolder()
{
    // %LOCALAPPDATA% on Windows: the files belong to this machine's user, not to a roaming
    // profile, as the port they name does.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/PARLINO");
}
#else
namespace {

// $HOME when it is an absolute path; else the account's own, from the password database (a
// service or a cron job may run without HOME). Empty when neither gives one.
QString userHome()
{
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return home;
    const passwd *account = ::getpwuid(::getuid());
    const QString own = account && account->pw_dir ? QFile::decodeName(account->pw_dir) : QString();
    return QDir::isAbsolutePath(own) ? own : QString();
}

} // namespace

QString userDataFolder()
{
    // A relative XDG_DATA_HOME is ignored, as the XDG base directory rules say: it would make
    // the folder depend on where the console was started.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(data)) {
        const QString home = userHome();
        if (home.isEmpty())
            return QString();
        data = home + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(data + QStringLiteral("/parlino"));
}
#endif

bool pathExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
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

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

bool isWorkingFolder(const QString &folder)
{
    const QString real = QFileInfo(folder).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(QDir::currentPath()).canonicalFilePath();
}

QString folderOf(const QString &filePath)
{
    return QFileInfo(filePath).absolutePath();
}

QString absolutePath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

bool enterFolder(const QString &path)
{
    return QDir::setCurrent(path);
}
