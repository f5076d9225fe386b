#include "platform/picture.h"

#include <QFileInfo>
#include <QHash>
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
        // Only plain files: a named pipe in the icon's place would hold the window waiting
        // for a writer.
        if (!QFileInfo(path).isFile())
            return false;
        QPixmap picture;
        if (!picture.load(path))
            return false;
        found = loadedPictures().insert(path, picture);
    }
    // Setting the picture the box already shows would only repaint it.
    if (box->pixmap().cacheKey() != found->cacheKey())
        box->setPixmap(*found);
    return true;
}
