#include "platform/picture.h"

#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace {
// Each icon file is read once: the activity icon is set ten times a second during a run.
QHash<QString, QPixmap> &loadedPictures()
{
    static QHash<QString, QPixmap> pictures;
    return pictures;
}
} // namespace

bool LoadPicture(QLabel *box, const QString &path)
{
    auto found = loadedPictures().constFind(path);
    if (found == loadedPictures().cend()) {
        const QImage image = readImageFile(path);
        if (image.isNull())
            return false;
        found = loadedPictures().insert(path, QPixmap::fromImage(image));
    }
    // Setting the picture the box already shows would only repaint it.
    if (box->pixmap().cacheKey() != found->cacheKey())
        box->setPixmap(*found);
    return true;
}

QImage readImageFile(const QString &path)
{
    // Only plain files: a named pipe in the icon's place would hold the window waiting for a
    // writer, and for a missing file the reader would try the name with every suffix added.
    const QFileInfo file(path);
    if (!file.isFile())
        return QImage();
    QImageReader named(path, file.suffix().toLower().toLatin1());
    named.setAutoDetectImageFormat(false);
    if (QImage image = named.read(); !image.isNull())
        return image;
    return QImageReader(path).read();
}
