#include "platform/picture.h"

#include <QLabel>
#include <QPixmap>

bool LoadPicture(QLabel *box, const QString &path)
{
    QPixmap picture;
    if (!picture.load(path))
        return false;
    box->setPixmap(picture);
    return true;
}
