#pragma once

#include <QString>

class QLabel;

// Shows an icon file in the picture box. Each file is read at its first use and kept; a
// file that cannot be loaded leaves the picture as it was and returns false.
bool LoadPicture(QLabel *box, const QString &path);
