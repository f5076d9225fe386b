#pragma once

#include <QImage>
#include <QString>

class QLabel;

// Shows an icon file in the picture box. Each file is read at its first use and kept; a
// file that cannot be loaded leaves the picture as it was and returns false.
bool LoadPicture(QLabel *box, const QString &path);

// The image in the file, read by the format its name gives and only then by what its bytes
// say: letting every image plugin look at the bytes would load them all (GIF, JPEG ...) to
// show an icon. Null when the file holds no image.
QImage readImageFile(const QString &path);
