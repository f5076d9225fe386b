#include "platform/console_icon.h"
#include "platform/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
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
            if (const QImage image = readImageFile(file); !image.isNull())
                icon.addPixmap(QPixmap::fromImage(image));
        }
        if (!icon.isNull())
            return icon;
    }
    return QIcon();
}
