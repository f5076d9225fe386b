#include "platform/app_paths.h"

#include <QDir>

QString appFilePath(const QString &relativeName)
{
    QString relative = relativeName;
    relative.replace(u'\\', u'/');
    return QDir::toNativeSeparators(QDir::currentPath() + relative);
}
