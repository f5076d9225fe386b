#include "platform/console_icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QStringList consoleIconThemeFolders()
{
    QStringList folders = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                    QStringLiteral("icons/hicolor"),
                                                    QStandardPaths::LocateDirectory);
    // build/src/parlino beside build/tools/icons/hicolor.
    folders.append(QCoreApplication::applicationDirPath()
                   + QStringLiteral("/../tools/icons/hicolor"));
    return folders;
}

QIcon consoleIcon(const QStringList &themeFolders)
{
    for (const QString &folder : themeFolders) {
        QIcon icon;
        const QDir theme(folder);
        for (const QString &size : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString file = theme.filePath(size + QStringLiteral("/apps/parlino.png"));
            if (QFileInfo::exists(file))
                icon.addFile(file);
        }
        if (!icon.isNull())
            return icon;
    }
    return QIcon();
}
