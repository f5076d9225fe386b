#include "platform/picture.h"

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

bool LoadPicture(QLabel *box, const QString &path)
{
    // Only plain files: a named pipe in the icon's place would hold the window waiting for
    // a writer.
    if (!QFileInfo(path).isFile())
        return false;
    QPixmap picture;
    if (!picture.load(path))
        return false;
    box->setPixmap(picture);
    return true;
}
