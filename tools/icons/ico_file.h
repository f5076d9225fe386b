#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// A Windows .ico file holding every image given, as a program's icon resource wants it: each
// size a 32-bit image with its alpha channel. Images up to 255 pixels are stored as device-
// independent bitmaps, which every Windows reads; 256 x 256 is stored as PNG, as Windows
// expects that size. Qt's own ICO writer stores one image only.
QByteArray multiImageIco(const QList<QImage> &images);
