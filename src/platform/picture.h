#pragma once

#include <QString>

class QLabel;

// Loads an icon file and shows it in the picture box. A file that cannot be loaded leaves
// the picture as it was; returns false then.
bool LoadPicture(QLabel *box, const QString &path);
